#include "host/core/DTimer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>

namespace kestrava {

namespace {

// The results a wait can have, numbered as the system's wait functions
// number them, so the error text reads as it always has.
constexpr int32_t kWaitSignalled = 0;
constexpr int32_t kWaitTimeout = 258;
constexpr int32_t kWaitFailed = -1;

// The kernel's default timer slack (50 us) lets a sleep end that much late;
// the tick thread asks for none (a real-time thread has none anyway).
constexpr unsigned long kTickTimerSlackNs = 1;
// How long before a due time the thread wakes to spin through the rest:
// as long as waking has lately taken, and a margin, within these bounds.
constexpr std::chrono::nanoseconds kMinEarlyWake = std::chrono::microseconds(20);
constexpr std::chrono::nanoseconds kMaxEarlyWake = std::chrono::microseconds(300);
constexpr std::chrono::nanoseconds kWakeMargin = std::chrono::microseconds(10);
constexpr std::chrono::nanoseconds kWakeStep = std::chrono::microseconds(20);

} // namespace

struct TDTimer::State {
    State(app::Clock& c, PostToUi p) : clock(c), post(std::move(p)) {}

    void Restart();
    void Run(const std::shared_ptr<State>& self);
    bool WaitOnRealClock(std::unique_lock<std::mutex>& lock, const std::function<bool()>& woken);
    void RunOnUi(const std::shared_ptr<State>& self, std::shared_ptr<const Event> handler,
                 std::unique_lock<std::mutex>& lock);

    app::Clock& clock;
    const PostToUi post;
    std::atomic<bool> enabled{true};
    std::atomic<int32_t> interval{20};

    mutable std::mutex mutex; // guards everything below
    std::condition_variable event; // the auto-reset event: signalled, terminate
    bool signalled = false;
    bool terminate = false;
    uint32_t start = 0;
    uint32_t nextDue = 0;
    std::shared_ptr<const Event> onTimer;
    std::shared_ptr<const Event> onAsyncTimer;
    std::string lastError;
    std::chrono::nanoseconds earlyWake = kMaxEarlyWake; // the tick thread's own
    // Hand-off of OnTimer to the user-interface thread.
    std::condition_variable uiDone;
    uint64_t uiPosted = 0;
    uint64_t uiFinished = 0;
};

void TDTimer::State::Restart()
{
    const uint32_t now = clock.NowMs();
    std::lock_guard<std::mutex> guard(mutex);
    start = now;
    nextDue = now + static_cast<uint32_t>(interval.load());
    signalled = true;
    event.notify_all();
}

void TDTimer::State::RunOnUi(const std::shared_ptr<State>& self, std::shared_ptr<const Event> handler,
                             std::unique_lock<std::mutex>& lock)
{
    const uint64_t ticket = ++uiPosted;
    lock.unlock();
    post([self, handler = std::move(handler), ticket] {
        {
            std::lock_guard<std::mutex> guard(self->mutex);
            if (self->terminate)
                return;
        }
        (*handler)();
        std::lock_guard<std::mutex> guard(self->mutex);
        self->uiFinished = ticket;
        self->uiDone.notify_all();
    });
    lock.lock();
    // Like a synchronised call: the next tick waits for this one. A timer
    // being destroyed stops waiting, since its destructor may be running on
    // the very thread that would have to run the handler.
    uiDone.wait(lock, [&] { return uiFinished >= ticket || terminate; });
}

bool TDTimer::State::WaitOnRealClock(std::unique_lock<std::mutex>& lock, const std::function<bool()>& woken)
{
    // The millisecond clock is the monotonic clock, which is the steady
    // clock: nextDue is the instant that clock turns to it. The sleep ends
    // on the kernel's high-resolution timer (the condition variable waits
    // on the monotonic clock), but waking takes the machine from a few
    // hundredths to a few tenths of a millisecond, more on a busy virtual
    // machine. So the thread wakes that much early and spins through the
    // rest, without the lock: a setter is never held up, and what it
    // changed is seen before the tick. How early follows the wake-ups:
    // the latest delays as a maximum that fades by a thousandth per tick,
    // so a quiet machine spins a few hundredths of a millisecond per tick
    // and a busy one up to kMaxEarlyWake.
    using namespace std::chrono;
    const auto nowMs = floor<milliseconds>(steady_clock::now().time_since_epoch());
    const int32_t remaining = static_cast<int32_t>(nextDue - static_cast<uint32_t>(nowMs.count()));
    const steady_clock::time_point due(nowMs + milliseconds(remaining));
    const steady_clock::time_point wakeAt = due - earlyWake;
    if (event.wait_until(lock, wakeAt, woken))
        return true;
    const steady_clock::time_point woke = steady_clock::now();
    const nanoseconds delay = woke > wakeAt ? duration_cast<nanoseconds>(woke - wakeAt) : nanoseconds(0);
    // The early wake settles where one wake-up in twenty takes longer: a
    // step up for a late one, a twentieth of a step down for the others.
    earlyWake += delay + kWakeMargin > earlyWake ? kWakeStep * 19 / 20 : -(kWakeStep / 20);
    earlyWake = std::clamp(earlyWake, kMinEarlyWake, kMaxEarlyWake);
    if (woke < due) {
        lock.unlock();
        while (steady_clock::now() < due) {
        }
        lock.lock();
    }
    return woken();
}

void TDTimer::State::Run(const std::shared_ptr<State>& self)
{
    const bool realClock = &clock == &app::SystemClock();
    if (realClock) {
        prctl(PR_SET_TIMERSLACK, kTickTimerSlackNs, 0UL, 0UL, 0UL);
        // With another task busy on the same core an ordinary thread may
        // wait a whole time slice (several milliseconds) for its turn. The
        // lowest real-time priority ends that where the user may have it
        // (rtprio limit); elsewhere the call fails and the thread stays as
        // it is. The kernel's real-time throttling still leaves the rest of
        // the system a share should a module's tick hang.
        sched_param param{};
        param.sched_priority = 1;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    }

    std::unique_lock<std::mutex> lock(mutex);
    const auto woken = [this] { return signalled || terminate; };
    while (!terminate) {
        int32_t result = kWaitFailed;
        try {
            if (enabled.load() && (onTimer || onAsyncTimer)) {
                const int32_t wait = static_cast<int32_t>(nextDue - clock.NowMs());
                if (wait < 1)
                    result = kWaitTimeout;
                else if (realClock)
                    result = WaitOnRealClock(lock, woken) ? kWaitSignalled : kWaitTimeout;
                else
                    result = clock.WaitUntil(lock, event, nextDue, woken) ? kWaitSignalled : kWaitTimeout;
            } else {
                clock.Wait(lock, event, woken);
                result = kWaitSignalled;
            }
        } catch (...) {
            result = kWaitFailed;
        }

        if (result == kWaitSignalled) {
            signalled = false; // auto-reset: one wake per batch of changes
            continue;
        }
        if (result != kWaitTimeout) {
            lastError = "DXTimer: WaitResult = " + std::to_string(result) + "?";
            return;
        }

        nextDue += static_cast<uint32_t>(interval.load());
        std::shared_ptr<const Event> async = onAsyncTimer;
        std::shared_ptr<const Event> ui = onTimer;
        lock.unlock();
        if (async)
            (*async)();
        lock.lock();
        if (ui && post && !terminate)
            RunOnUi(self, std::move(ui), lock);
    }
}

TDTimer::TDTimer(app::Clock& clock, PostToUi postToUi)
    : m_state(std::make_shared<State>(clock, std::move(postToUi)))
{
    Restart();
    m_thread = std::thread([state = m_state] { state->Run(state); });
}

TDTimer::~TDTimer() { Shutdown(); }

void TDTimer::Shutdown()
{
    if (!m_thread.joinable())
        return;
    m_state->enabled.store(false);
    Restart();
    {
        std::lock_guard<std::mutex> guard(m_state->mutex);
        m_state->terminate = true;
        m_state->event.notify_all();
        m_state->uiDone.notify_all();
    }
    // From inside OnAsyncTimer the thread cannot be joined by itself; it
    // holds its own share of the state and ends when the handler returns.
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}

void TDTimer::Restart() { m_state->Restart(); }

bool TDTimer::Enabled() const { return m_state->enabled.load(); }

int32_t TDTimer::Interval() const { return m_state->interval.load(); }

void TDTimer::SetEnabled(bool enabled)
{
    if (m_state->enabled.exchange(enabled) != enabled)
        Restart();
}

void TDTimer::SetInterval(int32_t ms)
{
    if (m_state->interval.exchange(ms) != ms)
        Restart();
}

void TDTimer::SetOnTimer(Event handler)
{
    {
        std::lock_guard<std::mutex> guard(m_state->mutex);
        m_state->onTimer = handler ? std::make_shared<const Event>(std::move(handler)) : nullptr;
    }
    Restart();
}

void TDTimer::SetOnAsyncTimer(Event handler)
{
    {
        std::lock_guard<std::mutex> guard(m_state->mutex);
        m_state->onAsyncTimer = handler ? std::make_shared<const Event>(std::move(handler)) : nullptr;
    }
    Restart();
}

uint32_t TDTimer::StartMs() const
{
    std::lock_guard<std::mutex> guard(m_state->mutex);
    return m_state->start;
}

std::string TDTimer::LastError() const
{
    std::lock_guard<std::mutex> guard(m_state->mutex);
    return m_state->lastError;
}

} // namespace kestrava
