// The info reply of the fake test modules: read from a text file beside the
// module (its path with the extension ".info"): the title (Windows-1252) on
// the first line, then KeepsResults, MinDuration, MaxDuration, DurationStep,
// DefaultDuration and Countdown. Without the file nothing is answered.
#pragma once

#include "protocol/MyMessages.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace kestrava::testing {

inline std::string ModulePathWith(const TShortString& modulePath, const char* extension)
{
    std::string path(reinterpret_cast<const char*>(modulePath.Chars), modulePath.Length);
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + extension;
}

inline void AnswerFromInfoFile(TTestInfo& info)
{
    std::FILE* file = std::fopen(ModulePathWith(info.ModulePath, ".info").c_str(), "rb");
    if (!file)
        return;
    char title[300] = {};
    if (std::fgets(title, sizeof title, file)) {
        const size_t n = std::strcspn(title, "\r\n");
        info.Title.Length = static_cast<uint8_t>(n);
        std::memcpy(info.Title.Chars, title, n);
    }
    int v[6] = {};
    if (std::fscanf(file, "%d %d %d %d %d %d", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]) == 6) {
        info.KeepsResults = v[0];
        info.MinDuration = v[1];
        info.MaxDuration = v[2];
        info.DurationStep = v[3];
        info.DefaultDuration = v[4];
        info.Countdown = v[5];
    }
    std::fclose(file);
}

} // namespace kestrava::testing
