// The end the session asks for: logout (SIGTERM) or Ctrl+C (SIGINT). The
// program cannot refuse it and does not show the credits; it keeps what
// must be kept: the preferences are written, and a test in progress ends
// the way "J" to the abort question ends it, without a result.
#include "host/shell/Haupt.h"

#include "host/core/DLLImport.h"

namespace kestrava::shell {

void THaupt::FormTerminate()
{
    if (m_destroyed)
        return;
    // Nothing the runner or the start-up planned may run any more.
    app::EventLoop& loop = m_app.Loop();
    for (app::EventLoop::TimerId* id : {&m_timer2, &m_timer3, &m_cursorTimer, &m_gapTimer, &m_createTimer}) {
        loop.KillTimer(*id);
        *id = 0;
    }
    m_runner.Enter(RunPhase::Idle);
    if (BoundDispatchMessage() != nullptr) {
        // A tick in progress finishes first; a module that reached its end
        // in it has written its result, and that result stays. Any other
        // test is stopped before its end and writes nothing.
        HaltTicks();
        StopTest();
    }
    m_abspann->Stop();
    m_closePermitted = true;
    Close();
}

} // namespace kestrava::shell
