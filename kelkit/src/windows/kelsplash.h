#pragma once

#include <QSplashScreen>

#include <functional>
#include <memory>

class KelWindow;

// The start-up splash: a pixmap with the version ("v1.2.3") and an animated
// "Loading..." text, kept on screen for a minimum time. Then it closes, or,
// when it waits for the main window, hands over to it: the main window is
// shown and the splash closes once the window is on screen, as soon as both
// the time has passed and the window exists. It deletes itself when closed.
// Made by KelApplication::showSplash(); KelUi::setupMainWindow() tells it
// when the main window exists. GUI thread only.
class KelSplash : public QSplashScreen
{
    Q_OBJECT

public:
    // Milliseconds on a monotonic clock.
    using Clock = std::function<qint64()>;

    // screenGeometry: the screen to centre on; one that lies on no screen
    // stands for the primary screen's available area. Text offsets of
    // (0, 0) and invalid colours take the defaults; a transparent colour
    // hides its text. Dots run from minDots to maxDots, one step every
    // animationIntervalMs.
    KelSplash(QRect screenGeometry, const QPixmap &pixmap, const QString &version,
              int minDurationMs, int animationIntervalMs, int minDots, int maxDots,
              bool waitForMainWindow, QPoint loadingTextOffset, QPoint versionTextOffset,
              QColor loadingTextColor, QColor versionTextColor, bool versionAlignLeft);
    ~KelSplash() override;

    // Hands over to the main window now when the minimum time has passed,
    // else when it passes; without a window the splash then just closes.
    void setMainWindowIsReady(KelWindow *mainWindow);

    // The loading text as last drawn, "Loading..." for example.
    QString loadingText() const;

    // The clock that measures the minimum time, for every splash made
    // afterwards; an empty function restores the system's.
    static void setClock(Clock clock);

protected:
    void drawContents(QPainter *painter) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
