#include "ui/dialoglaunch.h"

#include "datamodel/codecinfo.h"
#include "windows/kelwindow.h"

namespace DialogLaunch {

void showModeless(KelWindow *dialog)
{
    if (!dialog)
        return;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The program's dialogs are modal by default; these leave the main
    // window usable.
    dialog->setWindowModality(Qt::NonModal);
    dialog->showWithStrategy(dialog->hasSavedGeometry() ? KelWindow::NoChange
                                                        : KelWindow::CenteredOnParent);
}

bool isAudioOnly(const CodecInfo &source)
{
    return source.resolution().isEmpty() && source.channelCount() >= 1 && source.samplerate() >= 1;
}

} // namespace DialogLaunch
