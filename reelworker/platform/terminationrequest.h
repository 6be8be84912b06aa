#pragma once

// The system's request to end the worker (SIGTERM, as sent at shutdown or by
// an installer), turned into a flag that the task loop polls between passes.
namespace TerminationRequest {

// Installs the handler for the whole process; false when that failed.
bool install();
bool isPending();

} // namespace TerminationRequest
