#pragma once

#include "painting/kelbuttonpainter.h"
#include "styles/kelstyleable.h"
#include "widgets/kelbutton.h"

#include <memory>

// A button with a small count badge at its right end. The badge is made by
// setBadgeStyle() and keeps its own look, re-applied on every theme switch;
// the caller sets its text through badge(). The badge's width is always
// reserved in the right contents margin, so the button's content never runs
// under it; a badge with an empty text is not painted.
//
//     auto *convert = new BadgedButton(Style::WT_Button_Push_Accent_Filled_56, footer);
//     convert->setBadgeStyle(Style::WT_Badge);
//     convert->badge()->setText(QString::number(count));
//
// GUI thread only.
class BadgedButton : public KelButton
{
    Q_OBJECT

public:
    // A painter, not a widget: its frame rect is its own size at (0, 0) and
    // the button places it when painting.
    class Badge : public KelButtonPainter, public KelStyleable
    {
    public:
        Badge(int styleId, BadgedButton *button);
        ~Badge() override;

        void applyStyle() override;

        // The badge's size hint, the width reserved on the button.
        QSize size() const;
        BadgedButton *button() const;

    protected:
        void onInvalidated() override;

    private:
        void updateSize();

        QSize m_size;
        BadgedButton *m_button;
    };

    BadgedButton(int styleId, const QString &iconPath, QWidget *parent = nullptr,
                 bool noStyle = false);
    explicit BadgedButton(int styleId = -1, QWidget *parent = nullptr, bool noStyle = false);
    ~BadgedButton() override;

    // Makes the badge on first use; later calls only change its style id.
    void setBadgeStyle(int styleId);
    // Null until setBadgeStyle().
    Badge *badge() const;

    // Keeps the caller's margins; the ones in effect (contentsMargins())
    // have the badge's width added on the right.
    void setContentsMargins(const QMargins &margins) override;

    void paint(KelPaintContext &ctx) override;

private:
    void onBadgeSizeChanged();

    class Private;
    std::unique_ptr<Private> d;
};
