#pragma once

#include "widgets/kelwidget.h"

#include <memory>

class KelFrame;
class QBoxLayout;

// Pages with a row (or column) of checkable tab buttons on one edge. A tab
// switch is first offered to tabToggleRequest(), whose receiver may refuse
// it. Pages are never removed. GUI thread only.
class KelTabWidget : public KelWidget
{
    Q_OBJECT
    Q_PROPERTY(int currentIndex READ currentIndex WRITE setCurrentIndex NOTIFY currentChanged)

public:
    KelTabWidget(Qt::Edge tabPosition, int tabButtonStyleId = -1, QWidget *parent = nullptr);
    ~KelTabWidget() override;

    // False, changing nothing, when the index has a tab already. The first
    // tab becomes current.
    bool addTab(int index, QWidget *page, int tabStyleId, const char *iconPath);
    // With the widget's tab button style.
    bool addTab(int index, QWidget *page, const char *iconPath = nullptr);

    void setCurrentIndex(int index);
    void setTabText(int index, const QString &text);

    int count() const;
    int currentIndex() const;
    KelFrame *tabsContainer() const;
    QBoxLayout *tabsLayout() const;

signals:
    // Receivers set accept to false to keep the current tab.
    void tabToggleRequest(int from, int to, bool &accept);
    void currentChanged(int index);

private:
    class Private;
    std::unique_ptr<Private> const d;
};
