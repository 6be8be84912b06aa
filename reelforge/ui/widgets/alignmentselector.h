#pragma once

#include <QWidget>

#include <memory>

// Three toggle buttons for a vertical alignment: bottom, middle, top.
// Checking one, by the user or by setAlignment(), emits alignmentChanged().
// GUI thread only.
class AlignmentSelector : public QWidget
{
    Q_OBJECT

public:
    explicit AlignmentSelector(QWidget *parent = nullptr);
    ~AlignmentSelector() override;

    // Qt::AlignBottom, Qt::AlignVCenter or Qt::AlignTop; 0 while none is
    // checked.
    Qt::Alignment alignment() const;
    void setAlignment(Qt::Alignment alignment);

signals:
    void alignmentChanged(Qt::Alignment value);

private:
    class Private;
    std::unique_ptr<Private> d;
};
