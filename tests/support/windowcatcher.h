#pragma once

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <QTimer>
#include <QWidget>

// Waits for a shown top-level widget of the class, notes its class name and
// closes it; also from within the event loop of a modal dialog. GUI thread
// only.
class WindowCatcher : public QObject
{
public:
    explicit WindowCatcher(const QByteArray &className) : m_className(className)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const auto widgets = QApplication::topLevelWidgets();
            for (QWidget *widget : widgets) {
                if (!widget->isVisible() || !widget->inherits(m_className.constData()))
                    continue;
                m_timer.stop();
                caught = QString::fromLatin1(widget->metaObject()->className());
                widget->close();
                return;
            }
        });
        m_timer.start(5);
    }

    // Empty until a window was caught.
    QString caught;

private:
    const QByteArray m_className;
    QTimer m_timer;
};
