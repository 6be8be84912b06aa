#include "core/framepool.h"

#include <QDebug>

#include <algorithm>
#include <vector>

class FramePool::Private
{
public:
    std::vector<FramePtr> spare;
    std::vector<FramePtr> lent;
};

FramePool::FramePool() : d(std::make_unique<Private>()) { }

FramePool::~FramePool() = default;

FramePtr FramePool::take()
{
    if (d->spare.empty())
        return FramePtr(av_frame_alloc());
    FramePtr frame = std::move(d->spare.back());
    d->spare.pop_back();
    av_frame_unref(frame.get());
    return frame;
}

void FramePool::giveBack(FramePtr frame)
{
    if (!frame)
        return;
    av_frame_unref(frame.get());
    d->spare.push_back(std::move(frame));
}

bool FramePool::hasSpare() const
{
    return !d->spare.empty();
}

AVFrame *FramePool::lend(FramePtr frame)
{
    AVFrame *lentFrame = frame.get();
    if (frame)
        d->lent.push_back(std::move(frame));
    return lentFrame;
}

void FramePool::recycle(AVFrame *frame)
{
    if (!frame)
        return;
    auto lent = std::find_if(d->lent.begin(), d->lent.end(),
                             [frame](const FramePtr &f) { return f.get() == frame; });
    if (lent == d->lent.end()) {
        qWarning() << "Frame was not handed out by this decoder";
        return;
    }
    giveBack(std::move(*lent));
    d->lent.erase(lent);
}

void FramePool::clear()
{
    d->spare.clear();
    d->lent.clear();
}
