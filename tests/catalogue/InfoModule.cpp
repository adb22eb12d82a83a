// A test module whose info reply is read from a text file beside it, so one
// built library copied under several names plays several tests. The file
// is the module path with the extension ".info": the title (Windows-1252)
// on the first line, then KeepsResults, MinDuration, MaxDuration,
// DurationStep, DefaultDuration and Countdown. Without the file the module
// answers nothing.
#include "protocol/MyMessages.h"

#include <cstdio>
#include <cstring>

namespace {

void Answer(TTestInfo& info)
{
    char path[300];
    const size_t length = info.ModulePath.Length;
    std::memcpy(path, info.ModulePath.Chars, length);
    path[length] = '\0';
    char* dot = std::strrchr(path, '.');
    if (!dot)
        return;
    std::strcpy(dot, ".info");
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return;
    char title[300] = {};
    if (std::fgets(title, sizeof title, file)) {
        size_t n = std::strcspn(title, "\r\n");
        info.Title.Length = static_cast<uint8_t>(n);
        std::memcpy(info.Title.Chars, title, n);
    }
    int values[6] = {};
    if (std::fscanf(file, "%d %d %d %d %d %d", &values[0], &values[1], &values[2], &values[3], &values[4], &values[5]) == 6) {
        info.KeepsResults = values[0];
        info.MinDuration = values[1];
        info.MaxDuration = values[2];
        info.DurationStep = values[3];
        info.DefaultDuration = values[4];
        info.Countdown = values[5];
    }
    std::fclose(file);
}

} // namespace

extern "C" __attribute__((visibility("default"))) void DispatchMessage(uint32_t code, TArgCell* cells)
{
    if (code == MSG_INFO && cells && cells[0])
        Answer(*reinterpret_cast<TTestInfo*>(cells[0]));
}
