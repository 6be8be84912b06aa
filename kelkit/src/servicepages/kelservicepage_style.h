#pragma once

#include "servicepages/kelservicepage.h"

#include <QColor>

#include <memory>

class KelButton;
class KelLabel;
class KelStyle;
class QGridLayout;

// The base of a maintenance page "Style" that shows the colours and widget
// looks of one theme, whichever is current: its samples are dressed by the
// kept style, also after a theme switch. refresh() paints the page in the
// style's window colour and calls the four fill hooks in order; the
// application's page fills them. GUI thread only.
class KelServicePage_Style : public KelServicePage
{
    Q_OBJECT

public:
    KelServicePage_Style(KelStyle *style, QWidget *parent = nullptr);
    ~KelServicePage_Style() override;

    void refresh();

protected:
    virtual void fillTextColors();
    virtual void fillBaseColors();
    virtual void fillExtra();
    virtual void fillControls();

    KelStyle *style() const;

    // A button of that style id dressed by the kept style.
    KelButton *makeButton(int styleId, const QString &text, const QString &iconPath = QString());
    // A row label (WT_Label_Row) dressed by the kept style.
    KelLabel *makeLabel(const QString &text);
    // "name(#rrggbb)" in that colour (the style's text colour when invalid).
    KelLabel *addColorRow(const QString &name, const QColor &color);
    // The text in that colour (the style's text colour when invalid).
    KelLabel *addColorLabel(const QString &text, const QColor &color);
    // Appends to grid a swatch of the colour over the style's window colour,
    // then the six overlays over it: lightest, lighter, darker, darkest and
    // the style's hover and pressed overlays.
    void addOverlayRows(QGridLayout *grid, const QString &name, const QColor &color);

private:
    class Private;
    std::unique_ptr<Private> d;
};
