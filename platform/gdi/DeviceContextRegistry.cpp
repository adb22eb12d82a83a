// The table behind device-context handles. Handles count up from 1 and are
// never reused while the library is loaded, so a stale handle resolves to
// nothing instead of to some later bitmap.
#include "platform/gdi/DeviceContext.h"

#include <mutex>
#include <unordered_map>

namespace kestrava::gdi {

namespace {
std::mutex g_lock;
std::unordered_map<HDC, Bitmap*>& Table()
{
    static std::unordered_map<HDC, Bitmap*> table;
    return table;
}
HDC g_next = 1;
} // namespace

HDC CreateBitmapDC(Bitmap& bitmap)
{
    std::lock_guard<std::mutex> lock(g_lock);
    HDC dc = g_next++;
    if (g_next == 0)
        g_next = 1;
    Table()[dc] = &bitmap;
    return dc;
}

void DeleteDC(HDC dc)
{
    std::lock_guard<std::mutex> lock(g_lock);
    Table().erase(dc);
}

Bitmap* ResolveDC(HDC dc)
{
    if (dc == 0)
        return nullptr;
    std::lock_guard<std::mutex> lock(g_lock);
    auto it = Table().find(dc);
    return it == Table().end() ? nullptr : it->second;
}

} // namespace kestrava::gdi
