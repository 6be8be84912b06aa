#pragma once

// Runs a test inside a session bus of its own (dbus-run-session), which
// knows no services it could start, so that no real file manager can ever
// be reached.
//
//     int main(int argc, char **argv)
//     {
//         if (!PrivateSessionBus::isInside())
//             return PrivateSessionBus::rerunInside(argc, argv);
//         ...
//     }
namespace PrivateSessionBus {

// True in the run that the bus started; removes the bus's configuration
// file, which the bus has read by then.
bool isInside();
// Replaces the process by the same test under dbus-run-session; returns
// only on failure, with 1.
int rerunInside(int argc, char **argv);

} // namespace PrivateSessionBus
