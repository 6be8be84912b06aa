#pragma once

#include "styles/kelstyle.h"

class KelButton;
class ResizerOverlay;

// The application's look: every colour role, metric and widget recipe of
// the application's style ids (1000 and up) and the application's versions
// of some framework ids. The dark and the light theme differ only in
// isDarkTheme(); every operation is a pure function of its id and the
// theme, and each recipe sets every property it touches in both themes, so
// re-applying a recipe after a theme switch restyles a widget completely.
// Ids an operation does not handle go to the KelStyle operation of the same
// kind.
//
//     Style::registerThemes(ui);
//     KelStyleManager::instance()->applySavedStyle(QStringLiteral("LightStyle"));
//
// GUI thread only.
class Style : public KelStyle
{
public:
    enum ColorRole {
        CL_Text_Error = 1019,
    };

    explicit Style(QObject *parent = nullptr);
    ~Style() override;

    // Creates the dark and the light theme under parent and registers the
    // light one, then the dark one, with the style manager.
    static void registerThemes(QObject *parent);

    int metric(int id) const override;
    QSize size(int id) const override;
    QMargins margins(int id) const override;
    QColor color(int id) const override;
    KelStateColors stateColors(int id) const override;
    KelArrowParams arrowParams(int id) const override;
    QString iconPath(int id) const override;
    // For dialogs also the content frame ("KelDialogContent") and the footer
    // ("KelFooter") in the window's central widget.
    void applyWindowStyle(KelWindow *window, int id) const override;
    void applyFrameStyle(KelFramePainter *painter, int id) const override;
    void applyLabelStyle(QLabel *label, int id) const override;
    void applyButtonStyle(KelButtonPainter *painter, int id, const QString &iconPath) const override;
    void applyLineEditStyle(KelLineEdit *lineEdit, int id) const override;
    void applySpinBoxStyle(KelSpinBoxPainter *spinBox, int id) const override;
    void applySliderStyle(KelSlider *slider, int id) const override;
    void applyScrollAreaStyle(KelScrollArea *area, int id) const override;
    void applyIconStyle(KelIcon *icon) const override;

    // The speech bubbles of a trim slider's handles.
    void applyTrimHandleStyle(KelButton *handle) const;
    // The overlay box editor's look; only id 1070 has one.
    void applyResizerOverlayStyle(ResizerOverlay *overlay, int id) const;

private:
    void applyButtonRecipe(KelButtonPainter *painter, int id, const QString &iconPath) const;
};
