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
    // The application's ids beside the framework's; each value is fixed
    // by the recipes below and by every widget created with it.

    // color(). CL_Gray_1 to CL_Gray_9 run from the strongest foreground
    // to the faintest fill in both themes.
    enum ColorRole {
        CL_Accent_Deep = 1000,
        CL_Accent_5 = 1001,
        CL_Accent_15 = 1002,
        CL_Accent_25 = 1003,
        CL_Accent_50 = 1004,
        CL_Accent_Hover = 1005,
        CL_Accent_Pressed = 1006,
        CL_Gray_1 = 1007,
        CL_Gray_2 = 1008,
        CL_Gray_3 = 1009,
        CL_Gray_4 = 1010,
        CL_Gray_5 = 1011,
        CL_Gray_6 = 1012,
        CL_Gray_7 = 1013,
        CL_Gray_8 = 1014,
        CL_Gray_9 = 1015,
        CL_List_Base = 1017,
        CL_Progress = 1018,
        CL_Text_Error = 1019,
    };

    // metric()
    enum Metric {
        M_Popup_ShadowMargin = 1000,
        M_Inset = 1001,
        M_Frame_Padding = 1002,
        M_Button_Small_Padding = 1003,
        M_Button_Bordered_Padding = 1004,
        M_Cell_Padding = 1005,
    };

    // size()
    enum SizeId {
        SZ_Card_Thumbnail = 1000,
    };

    // stateColors()
    enum StateColorsId {
        SC_Accent = 1000,
        SC_Gray_Filled = 1001,
    };

    // arrowParams(); drop-down widgets pass both, the down chevron first.
    enum ArrowId {
        AR_Chevron_Down = 1000,
        AR_Chevron_Up = 1001,
    };

    // Style ids of the application's windows and widgets. The numbers in
    // the push buttons' names are their heights.
    enum StyleId {
        WT_Window_Compact = 1000,
        WT_Popup_Presets = 1001,
        WT_PopupMenu_List = 1002,
        WT_Toggle_Small = 1003,
        WT_Toggle_Large = 1004,
        WT_Button_Push_Gray_Filled_36 = 1005,
        WT_Button_Push_Gray_Filled_40 = 1006,
        WT_Button_Push_Gray_Filled_48 = 1007,
        WT_Button_Push_Gray_Filled_56 = 1008,
        WT_Button_Push_Gray_Outline_28 = 1009,
        WT_Button_Push_Gray_Outline_40 = 1010,
        WT_Button_Push_Accent_Filled_40 = 1011,
        WT_Button_Push_Accent_Filled_48 = 1012,
        WT_Button_Push_Accent_Filled_56 = 1013,
        WT_Button_Push_Accent_Outline_28 = 1014,
        WT_Button_Push_Accent_Outline_48 = 1015,
        WT_Button_Segment_34 = 1016,
        WT_Button_Segment_42 = 1017,
        WT_Button_Tool_32 = 1018,
        WT_Button_Tool_36 = 1019,
        WT_Button_Close_32 = 1020,
        WT_PopupMenuButton_Divided = 1021,
        WT_ComboBox_TwoLine = 1022,
        WT_ComboBox_Presets = 1023,
        WT_ComboBox_Folder = 1024,
        WT_ComboBox_PostAction_Idle = 1025,
        WT_ComboBox_PostAction_Active = 1026,
        WT_Button_Bordered_36 = 1027,
        WT_Card = 1028,
        WT_Card_Cell = 1029,
        WT_Card_Thumbnail = 1030,
        WT_Card_Prop = 1031,
        WT_Card_Prop_Set = 1032,
        WT_Card_Prop_Extra = 1033,
        WT_Card_Message_Success = 1034,
        WT_Card_Message_Warning = 1035,
        WT_Button_Tab = 1036,
        WT_PresetRow_Left = 1038,
        WT_PresetRow_Right = 1039,
        WT_Button_Play = 1040,
        WT_Button_Alignment = 1041,
        WT_Button_ColorSwatch = 1042,
        WT_FilePath = 1043,
        WT_FilePath_Thumbnail = 1044,
        WT_Badge_Count = 1045,
        WT_Badge = 1046,
        WT_Badge_Tall = 1047,
        WT_Frame_Caption = 1048,
        WT_Frame_Panel = 1049,
        WT_Frame_Outlined = 1050,
        WT_Label_12 = 1051,
        WT_Label_12_Second = 1052,
        WT_Label_14 = 1053,
        WT_Label_14_Medium = 1054,
        WT_Label_14_Accent = 1055,
        WT_Label_15 = 1056,
        WT_Label_Title = 1057,
        WT_Label_Heading = 1058,
        WT_Label_Form = 1059,
        WT_LineEdit_Title = 1060,
        WT_LineEdit_Search = 1061,
        WT_LineEdit_Search_Underlined = 1062,
        WT_LineEdit_Code = 1063,
        WT_SpinBox_Compact = 1064,
        WT_Slider_Line = 1065,
        WT_Slider_Line_Accent = 1066,
        WT_Slider_Position = 1067,
        WT_Slider_Trim = 1068,
        WT_ScrollArea_List = 1069,
        WT_ResizerOverlay = 1070,
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
    // The overlay box editor's look; only WT_ResizerOverlay has one.
    void applyResizerOverlayStyle(ResizerOverlay *overlay, int id) const;

private:
    void applyButtonRecipe(KelButtonPainter *painter, int id, const QString &iconPath) const;
};
