#include "terminationrequest.h"

#include <QtGlobal>

#include <csignal>

namespace {

volatile std::sig_atomic_t pending = 0;

void onTerminate(int)
{
    pending = 1;
}

} // namespace

namespace TerminationRequest {

bool install()
{
    struct sigaction action = {};
    action.sa_handler = &onTerminate;
    sigemptyset(&action.sa_mask);
    // Blocking calls of the loop (socket waits, sleeps) go on; the loop sees
    // the flag at its next pass.
    action.sa_flags = SA_RESTART;
    return sigaction(SIGTERM, &action, nullptr) == 0;
}

bool isPending()
{
    return pending != 0;
}

} // namespace TerminationRequest
