#include "host/core/DLLImport.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace kestrava {

namespace {
void* g_library = nullptr;
std::atomic<TDispatchMessageProc> g_dispatch{nullptr};

// dlsym hands out data pointers; the exports are functions.
template <typename Proc> Proc ResolveProc(void* library, const char* name)
{
    void* address = dlsym(library, name);
    Proc proc = nullptr;
    static_assert(sizeof proc == sizeof address);
    std::memcpy(&proc, &address, sizeof proc);
    return proc;
}
} // namespace

void BindModule(const std::string& path)
{
    UnbindModule();
    // RTLD_LOCAL keeps each module's symbols to itself, so a second module
    // (or the same one loaded afresh) never binds to the first one's globals.
    g_library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!g_library)
        return;
    g_dispatch.store(ResolveProc<TDispatchMessageProc>(g_library, KESTRAVA_DISPATCH_SYMBOL));
}

void UnbindModule()
{
    if (!g_library)
        return;
    g_dispatch.store(nullptr);
    dlclose(g_library);
    g_library = nullptr;
}

TDispatchMessageProc BoundDispatchMessage() { return g_dispatch.load(); }

bool ModuleLibraryHeld() { return g_library != nullptr; }

std::string CallProgramFile(const std::string& path, TProgEntry* entries, int32_t count)
{
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return {};
    std::string text;
    if (auto prog = ResolveProc<TProgProc>(library, KESTRAVA_PROG_SYMBOL)) {
        TShortString buffer{};
        prog(&buffer, entries, count);
        text = ShortStringToUtf8(buffer);
    }
    dlclose(library);
    return text;
}

} // namespace kestrava
