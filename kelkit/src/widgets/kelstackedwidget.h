#pragma once

#include <QStackedWidget>

// The page stack of the framework's tab widget; it sizes to its largest
// page as QStackedWidget does.
class KelStackedWidget : public QStackedWidget
{
    Q_OBJECT

public:
    explicit KelStackedWidget(QWidget *parent = nullptr);
};
