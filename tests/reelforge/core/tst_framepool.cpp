#include "core/framepool.h"

#include <QtTest>

class tst_FramePool : public QObject
{
    Q_OBJECT

private slots:
    void aRecycledFrameIsReusedEmpty();
    void onlyLentFramesAreTakenBack();
};

namespace {

FramePtr frameWithPicture()
{
    FramePtr frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_GRAY8;
    frame->width = 16;
    frame->height = 16;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return nullptr;
    return frame;
}

} // namespace

void tst_FramePool::aRecycledFrameIsReusedEmpty()
{
    FramePool pool;
    QVERIFY(!pool.hasSpare());
    FramePtr frame = frameWithPicture();
    QVERIFY(frame);
    AVFrame *lent = pool.lend(std::move(frame));
    QVERIFY(lent);
    QVERIFY(!pool.hasSpare());

    pool.recycle(lent);
    QVERIFY(pool.hasSpare());
    FramePtr reused = pool.take();
    QCOMPARE(reused.get(), lent);
    // Its picture went back to the buffer pool when it was recycled.
    QVERIFY(!reused->buf[0]);
    QVERIFY(!reused->data[0]);
    QVERIFY(!pool.hasSpare());
    // With no spare left a new frame is made.
    FramePtr fresh = pool.take();
    QVERIFY(fresh);
    QVERIFY(fresh.get() != lent);
}

void tst_FramePool::onlyLentFramesAreTakenBack()
{
    FramePool pool;
    FramePtr foreign = frameWithPicture();
    QVERIFY(foreign);
    QTest::ignoreMessage(QtWarningMsg, "Frame was not handed out by this decoder");
    pool.recycle(foreign.get());
    QVERIFY(!pool.hasSpare());
    // The caller's frame is left as it was.
    QVERIFY(foreign->data[0]);

    AVFrame *lent = pool.lend(frameWithPicture());
    pool.recycle(lent);
    // A second recycle of the same frame would hand it out twice.
    QTest::ignoreMessage(QtWarningMsg, "Frame was not handed out by this decoder");
    pool.recycle(lent);
    QVERIFY(pool.take());
    QVERIFY(!pool.hasSpare());

    pool.recycle(nullptr);
}

QTEST_GUILESS_MAIN(tst_FramePool)

#include "tst_framepool.moc"
