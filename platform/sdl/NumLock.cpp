// Num Lock through XKB; see NumLock.h.
#include "platform/sdl/NumLock.h"

#include <SDL_syswm.h>
#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#endif

namespace kestrava::sdl {

bool SetSystemNumLock(SDL_Window* window, bool on)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    Display* display = info.info.x11.display;
    // The modifier bit Num Lock is bound to differs between keymaps (Mod2 on
    // most), so ask the server rather than assume it.
    unsigned int mask = XkbKeysymToModifiers(display, XK_Num_Lock);
    if (mask == 0)
        return false;
    if (!XkbLockModifiers(display, XkbUseCoreKbd, mask, on ? mask : 0))
        return false;
    XFlush(display);
    return true;
#else
    (void)window;
    (void)on;
    return false;
#endif
}

} // namespace kestrava::sdl
