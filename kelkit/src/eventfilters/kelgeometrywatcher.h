#pragma once

#include <QObject>
#include <QRect>

#include <memory>

class QWidget;

// Follows one widget from outside: reports changes of its visibility, its
// geometry (in its parent's, its window's or screen coordinates, by mode) and
// its parent widget as signals. Nothing is reported at construction, so the
// first change of any kind is. Child of the watched widget; GUI thread only.
class KelGeometryWatcher : public QObject
{
    Q_OBJECT

public:
    enum Mode {
        LocalGeometry = 0,
        WindowGeometry = 1,
        ScreenGeometry = 2,
    };

    KelGeometryWatcher(QWidget *widget, int mode);
    ~KelGeometryWatcher() override;

    QWidget *widget() const;

signals:
    void visibilityChanged(bool value);
    void geometryChanged(const QRect &value);
    void windowGeometryChanged(const QRect &value);
    void screenGeometryChanged(const QRect &value);
    void parentWidgetChanged(QWidget *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};
