#pragma once

#include "servicepages/kelservicepage.h"

#include <memory>

// The maintenance page "General": a "Crash me!" button that raises SIGSEGV
// for the crash reporter, the active, modal and popup windows read every
// 500 ms, the application's focus changes as they happen, and the cursor
// as a global mouse watcher reports it. Derived pages add readouts in the
// two hooks. GUI thread only.
class KelServicePage_General : public KelServicePage
{
    Q_OBJECT

public:
    explicit KelServicePage_General(QWidget *parent = nullptr);
    ~KelServicePage_General() override;

protected:
    // After every update of the cursor readouts.
    virtual void cursorReadoutsUpdated();
    // After every 500-ms update of the window readouts.
    virtual void windowReadoutsUpdated();

private:
    class Private;
    std::unique_ptr<Private> d;
};
