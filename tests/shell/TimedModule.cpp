// A test module for the runner's tests: its info comes from a text file
// beside it (see InfoReply.h), it ends its test on the tick where ElapsedMs
// reaches DurationMs, and it writes what it was sent to "<module>.log": one line per message, ticks
// counted instead of listed, so a test can read the order of events. Its
// state block (16 bytes: the tick count and the first tick's ElapsedMs)
// goes with a saved run, so a resumed test counts on where it stood.
//
// It writes results as a real module does when a test queued some: the file
// "<module>.queue" holds a result file's header and records, and each end of
// a test appends the first queued record to "<module>.RLT" (created with the
// queue's header) and drops it from the queue.
#include "InfoReply.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct TimedState {
    int64_t ticks = 0;
    int64_t firstTick = -1;
};
static_assert(sizeof(TimedState) == 16);

TTestStatus* g_status = nullptr;
std::string g_log;
TimedState g_state;
int64_t& g_ticks = g_state.ticks;
int64_t& g_firstTick = g_state.firstTick;

void Log(const std::string& line)
{
    if (g_log.empty())
        return;
    if (std::FILE* f = std::fopen(g_log.c_str(), "ab")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

std::string ReadFile(const std::string& path)
{
    std::string bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

void WriteFile(const std::string& path, const std::string& bytes, const char* mode)
{
    if (std::FILE* f = std::fopen(path.c_str(), mode)) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

void WriteQueuedRecord()
{
    const std::string queuePath = kestrava::testing::ModulePathWith(g_status->ModulePath, ".queue");
    const std::string queue = ReadFile(queuePath);
    if (queue.size() < 4)
        return;
    const auto parts = static_cast<size_t>(static_cast<unsigned char>(queue[0]));
    const size_t header = 4 + 256 * parts;
    const size_t record = 24 + 8 * parts;
    if (queue.size() < header + record)
        return;
    const std::string resultPath = kestrava::testing::ModulePathWith(g_status->ModulePath, ".RLT");
    if (std::FILE* existing = std::fopen(resultPath.c_str(), "rb"))
        std::fclose(existing);
    else
        WriteFile(resultPath, queue.substr(0, header), "wb");
    WriteFile(resultPath, queue.substr(header, record), "ab");
    WriteFile(queuePath, queue.substr(0, header) + queue.substr(header + record), "wb");
}

} // namespace

extern "C" __attribute__((visibility("default"))) void DispatchMessage(uint32_t code, TArgCell* cells)
{
    switch (code) {
    case MSG_INFO:
        if (cells && cells[0])
            kestrava::testing::AnswerFromInfoFile(*reinterpret_cast<TTestInfo*>(cells[0]));
        break;
    case MSG_INIT:
        g_status = cells ? reinterpret_cast<TTestStatus*>(cells[0]) : nullptr;
        if (g_status) {
            g_log = kestrava::testing::ModulePathWith(g_status->ModulePath, ".log");
            Log("init " + std::to_string(g_status->DurationMs));
        }
        break;
    case MSG_TICK:
        if (!g_status)
            break;
        if (g_firstTick < 0)
            g_firstTick = static_cast<int64_t>(g_status->ElapsedMs);
        ++g_ticks;
        if (g_status->ElapsedMs == g_status->DurationMs) {
            Log("ticks " + std::to_string(g_ticks) + " first " + std::to_string(g_firstTick) + " last " +
                std::to_string(g_status->ElapsedMs));
            Log("end");
            WriteQueuedRecord();
            g_status->OnTestEnd.Code(g_status->OnTestEnd.Context);
        }
        break;
    case MSG_KEYDOWN:
        Log("keydown " + std::to_string(cells ? cells[0] : 0) + " at " +
            std::to_string(g_status ? g_status->ElapsedMs : 0));
        break;
    case MSG_KEYUP:
        Log("keyup " + std::to_string(cells ? cells[0] : 0));
        break;
    case MSG_PAINT:
        Log("paint");
        break;
    case MSG_MOUSEDOWN:
    case MSG_MOUSEUP:
        // The cells as they arrived, so that a test sees how they were
        // widened.
        if (cells)
            Log(std::string(code == MSG_MOUSEDOWN ? "mousedown " : "mouseup ") + std::to_string(cells[0]) + " " +
                std::to_string(cells[1]) + " " + std::to_string(cells[2]) + " at " +
                std::to_string(g_status ? g_status->MouseX : 0) + "," + std::to_string(g_status ? g_status->MouseY : 0));
        break;
    case MSG_STOP:
        Log("stop");
        break;
    case MSG_SAVESTATE:
    case MSG_RESTORESTATE:
        if (cells) {
            cells[0] = reinterpret_cast<TArgCell>(&g_state);
            cells[1] = sizeof g_state;
        }
        Log(std::string(code == MSG_SAVESTATE ? "save" : "restore") + " at " +
            std::to_string(g_status ? g_status->ElapsedMs : 0) + " count " + std::to_string(g_ticks));
        break;
    default:
        break;
    }
}
