// Binding of test modules and program files.
//
// One module is bound at a time and the binding is global to the host: the
// user-interface thread binds and releases, while the tick thread reads the
// entry through SendModuleMessage. Binding and releasing happen only while no
// tick can run (before the tick timer starts, after it stopped).
#pragma once

#include "protocol/MyMessages.h"

#include <cstdint>
#include <string>

namespace kestrava {

// Loads the library at path and resolves DispatchMessage. If loading fails
// nothing is bound; if the entry is missing only the library is held, and
// every message is dropped until the next BindModule. A module still bound
// is released first. [ui-thread]
void BindModule(const std::string& path);

// Forgets the entry and releases the library, when one is held. [ui-thread]
void UnbindModule();

// The bound DispatchMessage, or null. [any thread]
TDispatchMessageProc BoundDispatchMessage();

// Whether a library is held (with or without a usable entry). [any thread]
bool ModuleLibraryHeld();

// Loads the program file at path, calls its PROG with a 256-byte text buffer
// and the entries, converts the returned short string to UTF-8 and releases
// the library. A file that cannot be loaded or lacks PROG is not called and
// gives an empty text. [ui-thread]
std::string CallProgramFile(const std::string& path, TProgEntry* entries, int32_t count);

} // namespace kestrava
