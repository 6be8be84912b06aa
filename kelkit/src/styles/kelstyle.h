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
    // The framework's ids, one enum per kind of question. Applications
    // add their own from 1000 up. Each name says what the base style uses
    // the id for; the value is part of the contract with every theme.

    // color()
    enum ColorRole {
        CL_Accent = 0,
        CL_Separator = 1,
        CL_Window_Base = 2,
        CL_Window_Border = 3,
        CL_Window_Shadow = 4,
        CL_BlockedOverlay = 5,
        CL_Dialog_Base = 6,
        CL_Dialog_Border = 7,
        CL_Dialog_Shadow = 8,
        CL_PopupMenu_Base = 9,
        CL_PopupMenu_Border = 10,
        CL_PopupMenu_Shadow = 11,
        CL_PopupMenu_Separator = 12,
        CL_Popup_Base = 13,
        CL_Popup_Border = 14,
        CL_Popup_Shadow = 15,
        CL_Text_Dark = 16,
        CL_Text_Light = 17,
        CL_Text_Link = 18,
        CL_Text_Warning = 19,
        CL_Success = 20,
        CL_Button_Push_Base = 21,
    };

    // metric()
    enum Metric {
        M_Window_BorderWidth = 0,
        M_Window_ShadowSize = 1,
        M_Window_CornerRadius = 2,
        M_Dialog_BorderWidth = 3,
        M_Dialog_ShadowSize = 4,
        M_Dialog_CornerRadius = 5,
        // 1 puts a message box's icon beside its text instead of above it.
        M_MessageBox_IconBesideText = 6,
        M_PopupMenu_BorderWidth = 7,
        M_PopupMenu_ShadowSize = 8,
        M_PopupMenu_CornerRadius = 9,
        M_SubMenu_Overlap = 10,
        M_PopupMenu_HoverDelay = 11,
        M_PopupMenu_MinWidth = 12,
        M_Popup_BorderWidth = 13,
        M_Popup_ShadowSize = 14,
        M_Popup_CornerRadius = 15,
        M_FadeDuration = 16,
        M_MoveDuration = 17,
        M_Button_Spacing = 18,
        M_Button_Push_CornerRadius = 19,
        M_CheckBox_Spacing = 20,
        M_RadioButton_Spacing = 21,
        M_Input_BorderWidth = 22,
        M_Input_CornerRadius = 23,
        M_LineEdit_ButtonSpacing = 24,
        M_Input_MinHeight = 25,
        M_LineEdit_WidthInChars = 26,
        M_LineEdit_ButtonWidth = 27,
        M_PasswordMaskDelay = 28,
        M_Label_Warning_FontSize = 29,
        M_Notification_BorderWidth = 30,
        M_Notification_HSpacing = 31,
        M_Notification_VSpacing = 32,
        M_Notification_TitleFontSize = 33,
        M_Notification_TextFontSize = 34,
        M_App_FontSize = 35,
    };

    // opacity()
    enum Opacity {
        OP_Disabled = 0,
        OP_SecondText = 1,
    };

    // size()
    enum SizeId {
        SZ_Button_Push_Min = 0,
    };

    // margins()
    enum MarginsId {
        MG_Notification_ScreenDistance = 0,
        MG_Notification_Content = 1,
        MG_Uniform_4 = 2,
        MG_Button_Push_Border = 3,
        MG_Button_Push_Contents = 4,
        MG_Button_Icon_Contents = 5,
        MG_MenuItem_Contents = 6,
        MG_Input_Contents = 7,
    };

    // stateColors()
    enum StateColorsId {
        SC_Item = 0,
        SC_PopupMenuButton = 1,
        SC_Item_Spare = 2,
        SC_Button_Icon_Text = 3,
        SC_Input_Base = 4,
        SC_Input_Border = 5,
        SC_Input_Arrow = 6,
        SC_TitleBar_Button = 7,
        SC_TitleBar_Close = 8,
        SC_TitleBar_Text = 9,
    };

    // arrowParams()
    enum ArrowId {
        AR_ComboBox = 0,
        AR_SubMenu = 1,
        AR_SpinBox_Up = 2,
        AR_SpinBox_Down = 3,
    };

    // animationParams()
    enum AnimationKind {
        AN_Disabled = 0,
        AN_Hovered = 1,
        AN_Pressed = 2,
        AN_Checked = 3,
        AN_BlockedOverlay = 4,
    };

    // iconPath()
    enum IconId {
        IC_None = 0,
        IC_CheckBox = 1,
        IC_Radio = 2,
        IC_Toggle = 3,
        IC_Clear = 4,
        IC_Close = 5,
        IC_Error = 6,
        IC_Notice = 7,
        IC_Question = 8,
        IC_Warning = 9,
        IC_TitleBar_Minimize = 10,
        IC_TitleBar_Maximize = 11,
        IC_TitleBar_Restore = 12,
        IC_TitleBar_Close = 13,
    };

    // Style ids of windows and widgets, dressed by the apply operation of
    // their kind. No two kinds share a value.
    enum StyleId {
        WT_Window = 0,
        WT_Dialog = 1,
        WT_MessageBox = 2,
        WT_PopupMenu = 3,
        WT_PopupMenu_Wide = 4,
        WT_Popup = 5,
        WT_Notification = 6,
        WT_Label = 7,
        WT_Label_Warning = 8,
        WT_Label_Message = 9,
        WT_IconLabel = 10,
        WT_Button_Push = 11,
        WT_Button_Icon = 12,
        WT_CheckBox = 13,
        WT_RadioButton = 14,
        WT_Toggle = 15,
        WT_MenuItem = 16,
        WT_MenuItem_SubMenu = 17,
        WT_ComboBox = 18,
        WT_PopupMenuButton = 19,
        WT_Button_Dialog = 20,
        WT_Button_Dialog_Accent = 21,
        WT_TitleBar_Minimize = 22,
        WT_TitleBar_Maximize = 23,
        WT_TitleBar_Restore = 24,
        WT_TitleBar_Close = 25,
        WT_LineEdit_Button = 26,
        WT_Label_Row = 27,
        WT_Button_Chip = 28,
        WT_LineEdit = 29,
        WT_LineEdit_Clearable = 30,
        WT_LineEdit_ClearOnEscape = 31,
        WT_LineEdit_Password = 32,
        WT_LineEdit_PasswordWhenUnfocused = 33,
        WT_PlainTextEdit_AutoHeight = 35,
        WT_SpinBox = 36,
        WT_Slider_Default = 37,
        WT_ScrollArea = 39,
        WT_ScrollBar = 40,
        WT_Menu = 41,
        WT_Shadow = 42,
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
    // shadow colour and size, and corner radius, by window style WT_Window to WT_Notification.
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
