#pragma once

#include "datamodel/videoitemwatcher.h"
#include "styles/kelstyleable.h"
#include "widgets/kelframe.h"

#include <memory>

// The two-by-two block of media facts in a card: format, resolution,
// duration and size. The source block shows the source's facts as
// read-only labels; the target block edits the conversion target through
// the format, resolution and compression-level combos and a duration
// button that asks for the trim dialog. While the item imports or after its
// import failed, both show blank cells over rounded placeholder bars.
//
//     auto *target = new CardMetainfo(CardMetainfo::Target, card);
//     target->setVideoItem(item);
//     connect(target, &CardMetainfo::trimClicked, ...);
//
// GUI thread only.
class CardMetainfo : public KelFrame, public VideoItemWatcher
{
    Q_OBJECT

public:
    enum Mode { Source = 0, Target = 1 };
    Q_ENUM(Mode)

    CardMetainfo(int mode, QWidget *parent = nullptr);
    ~CardMetainfo() override;

    int mode() const;
    // True while the item is Importing or ImportFailed.
    bool isPlaceholder() const;

    // The target block rebuilds the compression level names while enabled,
    // so that they follow the current language.
    void refresh();

signals:
    void trimClicked();

protected:
    void videoItemAttached(VideoItemPtr item) override;
    void videoItemDetached() override;
    void paintEvent(QPaintEvent *event) override;

private:
    void onStateChanged(int state);
    void updateTexts();
    void onTargetFormatChanged(const QString &format);
    void onSourceResolutionChanged();

    class Private;
    std::unique_ptr<Private> d;
};
