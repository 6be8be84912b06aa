#include "datamodel/videoitemwatcher.h"

#include <QtTest>

namespace {

// Counts the hook calls and the progress signals of the watched item.
class RecordingWatcher : public QObject, public VideoItemWatcher
{
public:
    int attached = 0;
    int detached = 0;
    int progressSignals = 0;
    VideoItemPtr heldWhileDetaching;

protected:
    void videoItemAttached(VideoItemPtr item) override
    {
        ++attached;
        addConnection(connect(item.data(), &VideoItem::progressChanged, this,
                              [this] { ++progressSignals; }));
        addConnection(connect(item.data(), &VideoItem::pausedChanged, this,
                              [this] { ++progressSignals; }));
    }

    void videoItemDetached() override
    {
        ++detached;
        heldWhileDetaching = videoItem();
    }
};

VideoItemPtr newItem()
{
    return VideoItemPtr::create(QFileInfo(QStringLiteral("clip.mp4")));
}

} // namespace

class tst_VideoItemWatcher : public QObject
{
    Q_OBJECT

private slots:
    void attachToEmptyWatcher();
    void sameItemAgainChangesNothing();
    void replacingDropsOldConnections();
    void nullDetachesOnly();
};

void tst_VideoItemWatcher::attachToEmptyWatcher()
{
    RecordingWatcher watcher;
    const VideoItemPtr item = newItem();
    watcher.setVideoItem(item);
    QCOMPARE(watcher.attached, 1);
    QCOMPARE(watcher.detached, 0);
    QCOMPARE(watcher.videoItem(), item);
}

void tst_VideoItemWatcher::sameItemAgainChangesNothing()
{
    RecordingWatcher watcher;
    const VideoItemPtr item = newItem();
    watcher.setVideoItem(item);
    watcher.setVideoItem(item);
    QCOMPARE(watcher.attached, 1);
    QCOMPARE(watcher.detached, 0);

    item->setProgress(10);
    QCOMPARE(watcher.progressSignals, 1);

    // Null on an empty watcher is the same object too.
    RecordingWatcher empty;
    empty.setVideoItem(VideoItemPtr());
    QCOMPARE(empty.attached + empty.detached, 0);
}

void tst_VideoItemWatcher::replacingDropsOldConnections()
{
    RecordingWatcher watcher;
    const VideoItemPtr first = newItem();
    const VideoItemPtr second = newItem();
    watcher.setVideoItem(first);
    watcher.setVideoItem(second);
    QCOMPARE(watcher.attached, 2);
    QCOMPARE(watcher.detached, 1);
    QCOMPARE(watcher.heldWhileDetaching, first);

    first->setProgress(10);
    first->setPaused(true);
    QCOMPARE(watcher.progressSignals, 0);
    second->setProgress(10);
    QCOMPARE(watcher.progressSignals, 1);
}

void tst_VideoItemWatcher::nullDetachesOnly()
{
    RecordingWatcher watcher;
    const VideoItemPtr item = newItem();
    watcher.setVideoItem(item);
    watcher.setVideoItem(VideoItemPtr());
    QCOMPARE(watcher.attached, 1);
    QCOMPARE(watcher.detached, 1);
    QCOMPARE(watcher.heldWhileDetaching, item);
    QVERIFY(!watcher.videoItem());

    item->setProgress(10);
    QCOMPARE(watcher.progressSignals, 0);
}

QTEST_GUILESS_MAIN(tst_VideoItemWatcher)
#include "tst_videoitemwatcher.moc"
