// SIGTERM and SIGINT as a request to end the program in order.
//
// The desktop sends SIGTERM at logout and a terminal sends SIGINT on
// Ctrl+C. The first of them only notes the signal; the backend's event wait
// looks at the note and hands the program a Terminate event, so the program
// winds down on its user-interface thread (test aborted, preferences
// written). A second signal while that is under way ends the process at
// once, with the signal's default action, for the user who does not want to
// wait.
//
// The handler touches nothing but a lock-free atomic, so it is safe on any
// thread and at any moment. [thread-safe]
#pragma once

namespace kestrava::app {

// Installs the handler for SIGTERM and SIGINT (idempotent).
void InstallTerminationSignals();
// The first signal received since the installation, 0 while none came.
int TerminationSignal();

} // namespace kestrava::app
