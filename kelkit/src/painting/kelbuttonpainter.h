#pragma once

#include "painting/kelframepainter.h"
#include "styles/kelarrowparams.h"
#include "utils/kelfontutils.h"

#include <QFont>
#include <QRectF>
#include <QString>

class KelIcon;

// The content of a button-like widget inside its frame: an icon, a main
// text, a second text and an arrow, laid out in the frame's contents rect
// and painted in colours that follow the widget's state animator. The text
// metrics and the content layout are cached and recomputed on demand.
// "Invalidating" drops the owner's size hints, the content layout and
// repaints; colour setters only repaint. GUI thread only.
class KelButtonPainter : public KelFramePainter
{
public:
    explicit KelButtonPainter(QWidget *owner);
    ~KelButtonPainter() override;

    QString text() const;
    // With a text separator that occurs in text, the part after its first
    // occurrence becomes the second text.
    void setText(const QString &text);
    QString secondText() const;
    void setSecondText(const QString &text);
    QChar textSeparator() const;
    void setTextSeparator(QChar separator);

    KelStateColors textColors() const;
    // Also tint the icon while it has no colours of its own.
    void setTextColors(const KelStateColors &colors);
    // The second text's own colours, else the text colours.
    KelStateColors secondTextColors() const;
    void setSecondTextColors(const KelStateColors &colors);
    KelStateColors iconColors() const;
    // Turns icon tinting on.
    void setIconColors(const KelStateColors &colors);
    KelStateColors arrowColors() const;
    void setArrowColors(const KelStateColors &colors);
    // The arrow colours under the name the application's themes use.
    void setThirdColors(const KelStateColors &colors);

    KelIcon *icon() const;
    // An empty or missing path gives the provider's null icon.
    void setIcon(const QString &path);
    void setIcon(const char *path);
    void setIcon(KelIcon *icon);
    bool colorizeIcon() const;
    void setColorizeIcon(bool colorize);
    // Qt::Edge: 1 top, 2 left, 4 right, 8 bottom.
    int iconPlacement() const;
    void setIconPlacement(int edge);
    // Invalid: the icon's own size.
    QSize iconSize() const;
    void setIconSize(const QSize &size);

    int spacing() const;
    int verticalSpacing() const;
    // Sets the horizontal and the vertical spacing.
    void setSpacing(int spacing);
    int textSpacing() const;
    void setTextSpacing(int spacing);
    int textAlignment() const;
    void setTextAlignment(int alignment);
    // 1: main and second text side by side; otherwise stacked.
    int textLayoutMode() const;
    void setTextLayoutMode(int mode);
    // 1: the arrow follows the texts instead of standing at the right edge.
    int contentLayoutMode() const;
    void setContentLayoutMode(int mode);
    int elideMode() const;
    void setElideMode(int mode);
    // QTextOption::WrapMode; anything but NoWrap measures and draws the
    // texts wrapped on several lines.
    int wrapMode() const;
    void setWrapMode(int mode);

    // The owner's font, or the painter's own without an owner.
    QFont font() const;
    void setFont(const QFont &font);
    void setFont(int pixelSize, int weight);
    QFont secondFont() const;
    void setSecondFont(const QFont &font);
    void setSecondFont(int pixelSize, int weight);

    KelArrowParams arrow() const;
    KelArrowParams checkedArrow() const;
    // checkedArrow is drawn while the animator is checked, unless it is empty.
    void setArrow(const KelArrowParams &arrow, const KelArrowParams &checkedArrow);
    // setArrow under the name the application's themes use.
    void setLayoutParams(const KelArrowParams &arrow, const KelArrowParams &checkedArrow);

    // Content rects after ensureGeometryIsValid().
    QRect iconRect();
    QRect textRect();
    QRect secondTextRect();
    QRect arrowRect();
    // Whether the last paint elided a text.
    bool isTextElided() const;

    // Owners call it on font and style changes.
    void resetTextMetrics();

    bool hasHeightForWidth() const;
    int heightForWidth(int width) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    void ensureGeometryIsValid() override;

    void paintContent(KelPaintContext &ctx, KelWidgetStateAnimator *animator);

protected:
    void onInvalidated() override;
    virtual void onTextChanged(const QString &text);
    virtual void onSecondTextChanged(const QString &text);

private:
    class Private;
    std::unique_ptr<Private> d;
};

namespace KelPainting {

// Frames the icon, text, second text and arrow rects in red.
void diagPaintButtonPainter(KelPaintContext &ctx, KelButtonPainter *painter);

} // namespace KelPainting

namespace KelUtils {

// Any widget: a button's painter or a label, for example, gets the font
// (a widget only what differs); nothing for null.
void setFontSize(QWidget *widget, int pixelSize, int weight = QFont::Normal,
                 const QString &family = defaultFontFamily());

} // namespace KelUtils
