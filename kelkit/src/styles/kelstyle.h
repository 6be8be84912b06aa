#pragma once

#include "animators/kelanimationparams.h"
#include "styles/kelarrowparams.h"
#include "utils/kelstatecolors.h"

#include <QColor>
#include <QMargins>
#include <QObject>
#include <QSize>
#include <QString>

class KelIcon;
class KelLineEdit;
class KelLinearShadowWidget;
class KelPlainTextEdit;
class KelProgressBar;
class KelScrollArea;
class KelSlider;
class KelSpinBoxPainter;
class KelWindow;
class KelButtonPainter;
class KelFramePainter;
class QLabel;
class QScrollBar;
class QWidget;

// The framework's theme: answers every question a framework widget asks
// about its look by integer id and pushes complete looks into widgets.
// It keeps no state; every answer is computed on each call, and derived
// values are looked up through the virtual calls so that a theme overriding
// one id changes every value written in terms of it. Applications subclass
// it and fall back to this implementation for the ids they do not handle
// (application ids start at 1000). GUI thread only.
class KelStyle : public QObject
{
public:
    // Names of the colour roles that applications refer to.
    enum ColorRole {
        CL_Accent = 0,
        CL_Dialog_Base = 6,
        CL_PopupMenu_Base = 9,
        CL_Text_Dark = 16,
        CL_Text_Light = 17,
        CL_Text_Link = 18,
        CL_Button_Push_Base = 21,
    };

    explicit KelStyle(QObject *parent = nullptr);
    ~KelStyle() override;

    virtual QString styleId() const;
    virtual QString displayName() const;
    virtual QString styleIcon() const;
    virtual bool isDarkTheme() const;
    virtual int metric(int id) const;
    virtual double opacity(int id) const;
    virtual QSize size(int id) const;
    virtual QMargins margins(int id) const;
    virtual QColor color(int id) const;
    virtual KelStateColors stateColors(int id) const;
    virtual KelArrowParams arrowParams(int id) const;
    virtual KelAnimationParams animationParams(int kind) const;
    virtual QString iconPath(int id) const;
    // Dresses the window's frame: background, border colour and width,
    // shadow colour and size, and corner radius, by window style 0 to 6.
    virtual void applyWindowStyle(KelWindow *window, int id) const;
    // The frame widget's look; none of the framework's own.
    virtual void applyFrameStyle(KelFramePainter *painter, int id) const;
    virtual void applyLabelStyle(QLabel *label, int id) const;
    virtual void applyPlainTextEditStyle(KelPlainTextEdit *edit, int id) const;
    virtual void applyProgressBarStyle(KelProgressBar *bar, int id) const;
    // Sets the icon from iconPath when one is given or the painter has no
    // valid icon, then the look of the id.
    virtual void applyButtonStyle(KelButtonPainter *painter, int id, const QString &iconPath) const;
    // The look of every text input frame; the id is not used here.
    virtual void applyInputFrameStyle(KelFramePainter *painter, int id) const;
    virtual void applyLineEditStyle(KelLineEdit *lineEdit, int id) const;
    virtual void applySpinBoxStyle(KelSpinBoxPainter *spinBox, int id) const;
    virtual void applySliderStyle(KelSlider *slider, int id) const;
    virtual void applyMenuStyle(QWidget *menu, int id) const;
    virtual QString menuStyleSheet(int id) const;
    // Dresses the animated icons, chosen by their registered name.
    virtual void applyIconStyle(KelIcon *icon) const;
    virtual void applyScrollAreaStyle(KelScrollArea *area, int id) const;
    virtual void applyScrollBarStyle(QScrollBar *scrollBar, int id) const;
    virtual void applyShadowStyle(KelLinearShadowWidget *shadow, int id) const;

    // The accent, or the link colour for a style without one, so that the
    // base style's checked and active looks never vanish.
    QColor accentColor() const;
    QColor defaultTextColor() const;
    QColor defaultSecondTextColor() const;
    QColor textColorFor(const QColor &background) const;
    QColor hoverOverlayColor(const QColor &background) const;
    QColor pressedOverlayColor(const QColor &background) const;

private:
    bool isDarkBackground(const QColor &background) const;
};

// The current style of the application's style manager. Without a style
// manager (no UI object yet, or no longer) it logs and returns one plain
// process-wide KelStyle, so callers never get null.
KelStyle *kelStyle();
