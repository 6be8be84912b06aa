#pragma once

#include "core/avptr.h"

#include <memory>

// The frames of a decoder: spare ones kept for reuse, and the ones lent to a
// caller until it gives them back. A frame given back releases its picture or
// samples at once and is reused empty, which saves a frame allocation per
// decoded frame. Freeing the pool frees the lent frames too. Plain class,
// used by one thread at a time.
class FramePool
{
public:
    FramePool();
    ~FramePool();

    FramePool(const FramePool &) = delete;
    FramePool &operator=(const FramePool &) = delete;

    // A spare frame, emptied, or a new one; null when out of memory.
    FramePtr take();
    // Empties the frame and keeps it for reuse.
    void giveBack(FramePtr frame);
    bool hasSpare() const;

    // Keeps the frame until the caller recycles it.
    AVFrame *lend(FramePtr frame);
    // Takes back a lent frame for reuse. A frame this pool did not lend is
    // left alone, with a warning.
    void recycle(AVFrame *frame);

    // Frees every frame, spare and lent.
    void clear();

private:
    class Private;
    std::unique_ptr<Private> d;
};
