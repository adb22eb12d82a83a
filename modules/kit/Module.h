// The frame of a test module: a class with one handler per message it cares
// about, the typed view of the host's status record and callbacks, and the
// one exported entry that turns the host's numbered messages into calls.
//
// Written against protocol/ and the drawing library only, so a module built
// on it needs nothing of the host. docs/MODULES.md shows a whole module.
//
//   class MyTest final : public kestrava::kit::Module {
//       void OnInfo(kestrava::kit::Info& info) override { ... }
//       void OnTick(kestrava::kit::Host& host) override { ... }
//   };
//   KESTRAVA_MODULE(MyTest, "MYTEST")
//
// Threads: every handler runs inside one DispatchMessage call; the host
// never enters a module twice at once (it holds the test area's lock for the
// whole call), so a module keeps plain members and no locks. OnTick runs on
// the host's tick thread, everything else on its user-interface thread.
#pragma once

#include "modules/kit/Result.h"
#include "platform/gdi/DeviceContext.h"
#include "protocol/MyMessages.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>

namespace kestrava::kit {

// One joystick as the host last polled it (every 100 ms; the arrow keys
// and W/A/S/D move them too): -10 to +10 each way, 0 centred.
struct Stick {
    int32_t X = 0;  // -10 left .. +10 right
    int32_t Y = 0;  // -10 forward/up .. +10 back/down
    std::array<bool, 4> Buttons{};
};

// The running test as the host shows it: the status record from MSG_INIT to
// MSG_STOP, read through typed accessors, and the host's callbacks. Outside
// a test (Running() false) every accessor answers as for an empty record
// and every callback does nothing.
class Host {
public:
    bool Running() const { return m_status != nullptr; }
    // The raw record, for what the accessors leave out. Only while Running().
    const TTestStatus& Status() const { return *m_status; }

    uint32_t ElapsedMs() const { return m_status ? m_status->ElapsedMs : 0; }  // test time, a multiple of 10
    uint32_t DurationMs() const { return m_status ? m_status->DurationMs : 0; } // the tick that reaches it ends the test
    // Pixels per design unit: the test area is 800 x 600 units.
    double Scale() const { return m_status ? m_status->Scale : 1.0; }
    // The test area's device context; valid for the current message only.
    gdi::HDC DC() const { return m_status ? m_status->DC : 0; }
    // By virtual-key code: whether the key is held now.
    bool KeyHeld(uint32_t virtualKey) const;
    Stick Stick1() const;
    Stick Stick2() const;
    int32_t MouseX() const { return m_status ? m_status->MouseX : 0; }
    int32_t MouseY() const { return m_status ? m_status->MouseY : 0; }

    // The module's folder (ending with '/') and file, as UTF-8.
    std::string ModuleDir() const;
    std::string ModulePath() const;
    // The module's path with another extension: ".ini", ".RLT". Empty when
    // the host gave no path.
    std::string FileBeside(std::string_view extension) const;

    // Tells the host the test is over. The first call of a test calls
    // OnTestEnd and returns true; every later one does nothing and returns
    // false. Call it from OnTick, on the tick whose ElapsedMs reaches
    // DurationMs, after the result is on disk.
    bool EndTest();
    bool Ended() const { return m_ended; }
    // Appends the record to the result file beside the module and ends the
    // test, the two together and once: a second call writes nothing.
    void FinishTest(const ResultSheet& sheet, const ResultRecordBytes& record);

    // The host's sounds by name: the upper-case file name of a WAV file
    // beside the module, without its extension ("MFRHOCH"). PlaySound
    // returns the player slot (MSG_SOUNDEND names it when the sound ends)
    // or -1; volume 0 to 65535 before the user's own, pan -32768 (left) to
    // 32767 (right).
    int32_t PlaySound(std::string_view name, uint16_t volume = 65535, int16_t pan = 0) const;
    void LoadSound(std::string_view name) const;
    void UnloadSound(std::string_view name) const;
    void StopSound(int32_t slot) const;

private:
    friend class Dispatcher;
    const TTestStatus* m_status = nullptr;
    bool m_ended = false;
};

// MSG_INFO's record: the module's path (UTF-8), and the reply fields.
struct Info {
    std::string ModulePath;
    std::string Title;          // UTF-8, at most 255 Windows-1252 characters
    bool KeepsResults = true;
    int32_t MinDuration = 60000;     // ms
    int32_t MaxDuration = 3600000;   // ms; 0 = no maximum
    int32_t DurationStep = 1000;     // ms
    int32_t DefaultDuration = 300000;// ms
    int32_t Countdown = 3000;        // ms
    // The module's path with another extension (".ini"); empty without one.
    std::string FileBeside(std::string_view extension) const;
    // The title and the times from a test's settings (any struct with the
    // fields MinDuration, MaxDuration, DefaultDuration and Countdown).
    template <typename Times> void Describe(std::string title, const Times& times, int32_t step)
    {
        Title = std::move(title);
        MinDuration = times.MinDuration;
        MaxDuration = times.MaxDuration;
        DurationStep = step;
        DefaultDuration = times.DefaultDuration;
        Countdown = times.Countdown;
    }
};

// The state block: one plain struct of fixed size that holds everything a
// saved and resumed test needs to go on exactly as it would have. The host
// copies it byte for byte into the saved run and back.
struct StateBlock {
    void* Address = nullptr;
    uint32_t Size = 0;
};
template <typename T> StateBlock BlockOf(T& block)
{
    static_assert(std::is_trivially_copyable_v<T> && std::is_standard_layout_v<T>,
                  "a state block is a plain struct, copied byte for byte");
    return {&block, static_cast<uint32_t>(sizeof block)};
}

enum class MouseButton : int32_t { Left = 0, Right = 1, Middle = 2 };

// A test. Override the handlers the test needs; the others do nothing.
// Every handler but OnInfo runs only between MSG_INIT and MSG_STOP, with
// host.Running() true.
class Module {
public:
    virtual ~Module() = default;

    // MSG_INFO: the title and the times. Comes in any state, also before
    // any MSG_INIT and from a binding that never runs a test.
    virtual void OnInfo(Info& info) = 0;
    // MSG_INIT: a fresh test; load the pictures and sounds. host.ElapsedMs()
    // is 0, or the saved time when a run is resumed (BeforeRestore follows).
    virtual void OnInit(Host&) {}
    // MSG_STOP: the test ended or was aborted; free what OnInit loaded and
    // write nothing.
    virtual void OnStop(Host&) {}
    virtual void OnResize(Host&) {}  // MSG_RESIZE: Scale changed
    virtual void OnPaint(Host&) {}   // MSG_PAINT: draw the whole test area
    // MSG_TICK, every 10 ms of test time: advance to host.ElapsedMs(); on
    // the tick that reaches DurationMs write the result and end the test.
    virtual void OnTick(Host&) {}
    virtual void OnKeyDown(Host&, uint32_t /*virtualKey*/) {}  // first press only
    virtual void OnKeyUp(Host&, uint32_t /*virtualKey*/) {}
    virtual void OnKeyPress(Host&, uint8_t /*windows1252*/) {}
    // x and y in pixels relative to the control clicked.
    virtual void OnMouseDown(Host&, MouseButton, int32_t /*x*/, int32_t /*y*/) {}
    virtual void OnMouseUp(Host&, MouseButton, int32_t /*x*/, int32_t /*y*/) {}
    virtual void OnSoundEnd(Host&, int32_t /*slot*/) {}

    // The state block (BlockOf(m_state)); none by default, which the host
    // saves as an empty block.
    virtual StateBlock State() { return {}; }
    // MSG_RESTORESTATE, before the host overwrites the block: forget what
    // belongs to this binding only (a sounding slot).
    virtual void BeforeRestore(Host&) {}
    // The block the host copied in is untrusted: check and correct it here.
    // Called once, at the first message after the copy, before the module
    // uses the block.
    virtual void AfterRestore(Host&) {}
};

// Turns the host's messages into a module's handlers. The exported entry
// holds one; tests drive a module through one without loading a library.
class Dispatcher {
public:
    // tag starts every line written on stderr.
    Dispatcher(Module& module, std::string tag) : m_module(module), m_tag(std::move(tag)) {}

    // One message. Nothing escapes: an exception from a handler stops here
    // with one line on stderr and the message is left; the host, which
    // would count the module as failed and end its test, never sees it. A
    // null block is ignored.
    void Dispatch(uint32_t code, TArgCell* cells) noexcept;

    Host& GetHost() { return m_host; }

private:
    void Handle(uint32_t code, TArgCell* cells);

    Module& m_module;
    std::string m_tag;
    Host m_host;
    bool m_restored = false;
};

// One line on stderr for a message that failed: "TAG: message N failed: why".
void ReportFailure(const char* tag, uint32_t code, std::exception_ptr failure) noexcept;

// The one Dispatcher of a module class, made on the first message; a
// constructor that throws is reported like a failing handler and tried
// again with the next message.
template <typename M> void DispatchTo(const char* tag, uint32_t code, TArgCell* cells) noexcept
{
    try {
        static M module;
        static Dispatcher dispatcher(module, tag);
        dispatcher.Dispatch(code, cells);
    } catch (...) {
        ReportFailure(tag, code, std::current_exception());
    }
}

} // namespace kestrava::kit

// Defines the module's one export, DispatchMessage, for the class M (default
// constructible). Put it in one source file of the module.
#define KESTRAVA_MODULE(M, tag)                                                                      \
    extern "C" __attribute__((visibility("default"))) void DispatchMessage(uint32_t code, TArgCell* cells) \
    {                                                                                                \
        ::kestrava::kit::DispatchTo<M>(tag, code, cells);                                            \
    }                                                                                                \
    static_assert(std::is_same_v<decltype(&DispatchMessage), TDispatchMessageProc>,                  \
                  "the export must match the protocol's entry type")
