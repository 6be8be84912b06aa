#include "widgets/kelprogressbar.h"

#include "styles/kelstyle.h"

class KelProgressBar::Private
{
public:
    explicit Private(KelProgressBar *owner) : owner(owner) { }

    void saveProgress()
    {
        savedMinimum = owner->minimum();
        savedMaximum = owner->maximum();
        savedValue = owner->value();
    }

    KelProgressBar *owner;
    State state = Normal;
    int savedMinimum = 0;
    int savedMaximum = 0;
    int savedValue = 0;
};

KelProgressBar::KelProgressBar(int styleId, QWidget *parent, bool noStyle)
    : QProgressBar(parent), KelStyleable(styleId), d(std::make_unique<Private>(this))
{
    d->saveProgress();
    setAlignment(Qt::AlignCenter);
    if (!noStyle)
        applyStyle();
}

KelProgressBar::~KelProgressBar() = default;

void KelProgressBar::applyStyle()
{
    if (hasStyleId())
        kelStyle()->applyProgressBarStyle(this, styleId());
}

void KelProgressBar::setState(State state)
{
    if (state == d->state)
        return;
    switch (state) {
    case Indeterminate:
        d->saveProgress();
        setRange(0, 0);
        break;
    case Normal:
        if (d->state == Indeterminate) {
            setRange(d->savedMinimum, d->savedMaximum);
            setValue(d->savedValue);
        }
        break;
    case Paused:
        break;
    }
    d->state = state;
}

KelProgressBar::State KelProgressBar::state() const
{
    return d->state;
}

#include "moc_kelprogressbar.cpp"
