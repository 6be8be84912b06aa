#pragma once

#include <QPointer>
#include <QSpacerItem>
#include <QWidget>

// A layout item that is a fixed spacer while it carries no widget and
// behaves exactly like a widget item while it carries a live one, so that
// rows can hold their place before their widgets exist. GUI thread only.
class KelSpacerOrWidgetItem : public QSpacerItem
{
public:
    KelSpacerOrWidgetItem(int width, int height,
                          QSizePolicy::Policy horizontalPolicy = QSizePolicy::Minimum,
                          QSizePolicy::Policy verticalPolicy = QSizePolicy::Minimum);

    // Null detaches the widget.
    void setWidget(QWidget *widget);
    // The carried widget while it is alive.
    QWidget *widget() override;
    // Null while a live widget is carried.
    QSpacerItem *spacerItem() override;

    QSize sizeHint() const override;
    QSize minimumSize() const override;
    QSize maximumSize() const override;
    Qt::Orientations expandingDirections() const override;
    bool isEmpty() const override;
    QRect geometry() const override;
    void setGeometry(const QRect &rect) override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSizePolicy::ControlTypes controlTypes() const override;

private:
    QPointer<QWidget> m_widget;
};
