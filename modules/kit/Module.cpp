#include "modules/kit/Module.h"

#include "platform/gdi/Paths.h"

#include <cstdio>
#include <stdexcept>

namespace kestrava::kit {

namespace {

TShortString Short(std::string_view utf8)
{
    TShortString s{};
    SetShortStringUtf8(s, utf8);  // a name too long for the host is sent empty
    return s;
}

std::string Beside(const std::string& path, std::string_view extension)
{
    if (path.empty())
        return {};
    try {
        return ChangeFileExt(path, extension);
    } catch (const std::exception&) {
        return {};
    }
}

Stick StickOf(int32_t x, int32_t y, const uint8_t (&buttons)[4])
{
    Stick stick;
    stick.X = x;
    stick.Y = y;
    for (size_t i = 0; i < 4; ++i)
        stick.Buttons[i] = buttons[i] != 0;
    return stick;
}

} // namespace

bool Host::KeyHeld(uint32_t virtualKey) const
{
    return m_status && virtualKey < sizeof m_status->KeyDown && m_status->KeyDown[virtualKey] != 0;
}

Stick Host::Stick1() const { return m_status ? StickOf(m_status->Joy1X, m_status->Joy1Y, m_status->Joy1Buttons) : Stick{}; }
Stick Host::Stick2() const { return m_status ? StickOf(m_status->Joy2X, m_status->Joy2Y, m_status->Joy2Buttons) : Stick{}; }

std::string Host::ModuleDir() const { return m_status ? ShortStringToUtf8(m_status->ModuleDir) : std::string(); }
std::string Host::ModulePath() const { return m_status ? ShortStringToUtf8(m_status->ModulePath) : std::string(); }
std::string Host::FileBeside(std::string_view extension) const { return Beside(ModulePath(), extension); }
std::string Info::FileBeside(std::string_view extension) const { return Beside(ModulePath, extension); }

bool Host::EndTest()
{
    if (!m_status || m_ended)
        return false;
    m_ended = true;
    if (m_status->OnTestEnd.Code)
        m_status->OnTestEnd.Code(m_status->OnTestEnd.Context);
    return true;
}

void Host::FinishTest(const ResultSheet& sheet, const ResultRecordBytes& record)
{
    if (!m_status || m_ended)
        return;
    m_ended = true;
    // WriteAndEnd calls OnTestEnd whatever becomes of the record: a test
    // whose end is never reported leaves the host waiting.
    sheet.WriteAndEnd(FileBeside(".RLT"), record, m_status->OnTestEnd);
}

int32_t Host::PlaySound(std::string_view name, uint16_t volume, int16_t pan) const
{
    if (!m_status || !m_status->PlaySound.Code)
        return -1;
    const TShortString s = Short(name);
    return m_status->PlaySound.Code(m_status->PlaySound.Context, &s, volume, pan);
}

void Host::LoadSound(std::string_view name) const
{
    if (!m_status || !m_status->LoadSound.Code)
        return;
    const TShortString s = Short(name);
    m_status->LoadSound.Code(m_status->LoadSound.Context, &s);
}

void Host::UnloadSound(std::string_view name) const
{
    if (!m_status || !m_status->UnloadSound.Code)
        return;
    const TShortString s = Short(name);
    m_status->UnloadSound.Code(m_status->UnloadSound.Context, &s);
}

void Host::StopSound(int32_t slot) const
{
    if (m_status && m_status->StopSound.Code)
        m_status->StopSound.Code(m_status->StopSound.Context, slot);
}

void ReportFailure(const char* tag, uint32_t code, std::exception_ptr failure) noexcept
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: message %u failed: %s\n", tag, code, e.what());
    } catch (...) {
        std::fprintf(stderr, "%s: message %u failed\n", tag, code);
    }
}

void Dispatcher::Dispatch(uint32_t code, TArgCell* cells) noexcept
{
    if (!cells)
        return;
    try {
        Handle(code, cells);
    } catch (...) {
        ReportFailure(m_tag.c_str(), code, std::current_exception());
    }
}

void Dispatcher::Handle(uint32_t code, TArgCell* cells)
{
    Host& host = m_host;
    if (m_restored && host.Running() && code != MSG_RESTORESTATE && code != MSG_SAVESTATE) {
        m_restored = false;
        m_module.AfterRestore(host);
    }
    // Cells are zero-extended 32-bit values: a coordinate comes back to
    // its sign through uint32_t.
    const auto signedCell = [cells](size_t i) { return static_cast<int32_t>(static_cast<uint32_t>(cells[i])); };
    switch (code) {
    case MSG_INFO:
        if (auto* record = reinterpret_cast<TTestInfo*>(cells[0])) {
            Info info;
            info.ModulePath = ShortStringToUtf8(record->ModulePath);
            m_module.OnInfo(info);
            TShortString title{};
            if (!SetShortStringUtf8(title, info.Title))
                throw std::length_error("the title is longer than 255 characters");
            record->Title = title;
            record->KeepsResults = info.KeepsResults ? 1 : 0;
            record->MinDuration = info.MinDuration;
            record->MaxDuration = info.MaxDuration;
            record->DurationStep = info.DurationStep;
            record->DefaultDuration = info.DefaultDuration;
            record->Countdown = info.Countdown;
        }
        return;
    case MSG_INIT:
        if (auto* status = reinterpret_cast<const TTestStatus*>(cells[0])) {
            host.m_status = status;
            host.m_ended = false;
            m_restored = false;
            m_module.OnInit(host);
        }
        return;
    case MSG_RESTORESTATE:
    case MSG_SAVESTATE: {
        if (code == MSG_RESTORESTATE) {
            m_module.BeforeRestore(host);
            m_restored = true;
        }
        const StateBlock block = m_module.State();
        cells[0] = reinterpret_cast<TArgCell>(block.Address);
        cells[1] = block.Address ? block.Size : 0;
        return;
    }
    default:
        break;
    }
    if (!host.Running())
        return;
    switch (code) {
    case MSG_STOP:
        // The record is the host's again once this returns.
        try {
            m_module.OnStop(host);
        } catch (...) {
            host.m_status = nullptr;
            throw;
        }
        host.m_status = nullptr;
        break;
    case MSG_RESIZE: m_module.OnResize(host); break;
    case MSG_PAINT: m_module.OnPaint(host); break;
    case MSG_TICK: m_module.OnTick(host); break;
    case MSG_KEYDOWN:
    case MSG_KEYUP:
    case MSG_KEYPRESS:
        // Key codes and characters are bytes; anything larger is not a key.
        if (cells[0] > 0xFF)
            break;
        if (code == MSG_KEYDOWN)
            m_module.OnKeyDown(host, static_cast<uint32_t>(cells[0]));
        else if (code == MSG_KEYUP)
            m_module.OnKeyUp(host, static_cast<uint32_t>(cells[0]));
        else
            m_module.OnKeyPress(host, static_cast<uint8_t>(cells[0]));
        break;
    case MSG_MOUSEDOWN:
    case MSG_MOUSEUP:
        if (cells[0] > 2)
            break;
        if (code == MSG_MOUSEDOWN)
            m_module.OnMouseDown(host, static_cast<MouseButton>(cells[0]), signedCell(1), signedCell(2));
        else
            m_module.OnMouseUp(host, static_cast<MouseButton>(cells[0]), signedCell(1), signedCell(2));
        break;
    case MSG_SOUNDEND:
        // Slots are 0 to 15; a cell beyond int32 names none.
        if (cells[0] <= 0x7FFFFFFF)
            m_module.OnSoundEnd(host, static_cast<int32_t>(cells[0]));
        break;
    default:
        break;
    }
}

} // namespace kestrava::kit
