#pragma once

#include <QWidget>

// The framework's plain widget base: turns Qt's visibility, geometry,
// enable and focus events into signals, so that other objects can follow a
// widget without installing event filters. GUI thread only.
class KelWidget : public QWidget
{
    Q_OBJECT

public:
    explicit KelWidget(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~KelWidget() override;

signals:
    void showed();
    void hided();
    void visibilityChanged(bool visible);
    void showedToParent();
    void hidedToParent();
    void visibilityToParentChanged(bool visibleToParent);
    void enabledChanged(bool enabled);
    void moved(const QPoint &pos);
    void resized(const QSize &size);
    void geometryChanged(const QRect &geometry);
    void focused(Qt::FocusReason reason);
    void focusLost();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
};
