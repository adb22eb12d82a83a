/*
 * The contract between the host and every test module.
 *
 * Host and modules are built separately and meet only through this header:
 * the exported entry DispatchMessage, the message codes, the argument block,
 * the info record a module fills, the shared status record the host hands to
 * a running module, and the entry PROG of a program file. Every record that
 * crosses the boundary has fixed offsets; the static_asserts below each
 * record pin them. A failing assert means the layout changed and already
 * built modules (or saved files) would no longer match: fix the record, never
 * the assert.
 *
 * The records are C-compatible. The C++ section at the end adds the
 * Windows-1252 conversion of short strings.
 */
#ifndef KESTRAVA_PROTOCOL_MYMESSAGES_H
#define KESTRAVA_PROTOCOL_MYMESSAGES_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define KESTRAVA_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
extern "C" {
#else
#define KESTRAVA_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

/* Message codes. 10, 11 and 12 are not assigned; the host never sends them
 * and a module ignores every code it does not handle. */
enum {
    MSG_INFO = 0,          /* cell 0 = TTestInfo*; fill the reply fields */
    MSG_INIT = 1,          /* cell 0 = TTestStatus*; set up the test from scratch */
    MSG_STOP = 2,          /* scratch; release drawing resources, write nothing */
    MSG_RESIZE = 3,        /* scratch; reload and rescale graphics for the new Scale */
    MSG_PAINT = 4,         /* scratch; repaint the whole test area into DC */
    MSG_KEYDOWN = 5,       /* cell 0 = virtual-key code (first press only) */
    MSG_KEYUP = 6,         /* cell 0 = virtual-key code */
    MSG_KEYPRESS = 7,      /* cell 0 = character code 0-255 (Windows-1252) */
    MSG_MOUSEDOWN = 8,     /* cells: button (0 left, 1 right, 2 middle), x, y */
    MSG_MOUSEUP = 9,       /* as MSG_MOUSEDOWN */
    MSG_TICK = 13,         /* scratch; advance the test to ElapsedMs */
    MSG_SOUNDEND = 14,     /* cell 0 = player slot whose sound ended */
    MSG_RESTORESTATE = 15, /* module writes cell 0 = state block address, cell 1 = its length */
    MSG_SAVESTATE = 16     /* as MSG_RESTORESTATE */
};

/* The argument block is made of pointer-sized cells; the host zero-extends
 * the values it puts in. Messages without an argument get a scratch block of
 * KESTRAVA_ARG_CELLS cells whose content means nothing. */
typedef uintptr_t TArgCell;
enum { KESTRAVA_ARG_CELLS = 3 };
KESTRAVA_STATIC_ASSERT(sizeof(TArgCell) == 8, "argument cells are 8 bytes on 64-bit targets");

/* A short string: a length byte 0-255, then that many Windows-1252
 * characters. The bytes after the text are not significant. */
typedef struct TShortString {
    uint8_t Length;
    uint8_t Chars[255];
} TShortString;
KESTRAVA_STATIC_ASSERT(sizeof(TShortString) == 256, "a short string is a 256-byte field");

/* Filled by a module at MSG_INFO. The host fills ModulePath before sending;
 * a module that does not answer leaves the other fields as they were. */
typedef struct TTestInfo {
    TShortString ModulePath;  /* full path of the module file */
    TShortString Title;       /* display title of the test */
    int32_t KeepsResults;     /* non-zero: the test writes result records */
    int32_t MinDuration;      /* ms */
    int32_t MaxDuration;      /* ms; 0 or less means no maximum */
    int32_t DurationStep;     /* ms */
    int32_t DefaultDuration;  /* ms; weight when a run's time is shared out */
    int32_t Countdown;        /* ms shown before the test starts */
} TTestInfo;
KESTRAVA_STATIC_ASSERT(offsetof(TTestInfo, ModulePath) == 0, "TTestInfo.ModulePath");
KESTRAVA_STATIC_ASSERT(offsetof(TTestInfo, Title) == 256, "TTestInfo.Title");
KESTRAVA_STATIC_ASSERT(offsetof(TTestInfo, KeepsResults) == 512, "TTestInfo.KeepsResults");
KESTRAVA_STATIC_ASSERT(offsetof(TTestInfo, MinDuration) == 516, "TTestInfo.MinDuration");
KESTRAVA_STATIC_ASSERT(offsetof(TTestInfo, MaxDuration) == 520, "TTestInfo.MaxDuration");
KESTRAVA_STATIC_ASSERT(offsetof(TTestInfo, DurationStep) == 524, "TTestInfo.DurationStep");
KESTRAVA_STATIC_ASSERT(offsetof(TTestInfo, DefaultDuration) == 528, "TTestInfo.DefaultDuration");
KESTRAVA_STATIC_ASSERT(offsetof(TTestInfo, Countdown) == 532, "TTestInfo.Countdown");
KESTRAVA_STATIC_ASSERT(sizeof(TTestInfo) == 536, "TTestInfo is 536 bytes");

/* Callbacks the host offers a running module. Each slot is the code address
 * followed by the context value (the host's main form); the module calls
 * code(context, args...) with the C calling convention.
 *
 * OnTestEnd: the module's test is over and its result record is on disk.
 *   Called exactly once per test, from inside the MSG_TICK that ends it,
 *   so it runs on the host's tick thread with the canvas lock held.
 *   [tick-thread]
 * PlaySound: plays the named sound (name: a short string owned by the
 *   caller, read during the call only); volume 0-65535, pan -32768 (left)
 *   to 32767 (right). Returns the player slot, or -1. [any message thread]
 * LoadSound / UnloadSound: load or release the named sound's player slot.
 *   [any message thread]
 * StopSound: stops the sound in a player slot. [any message thread] */
typedef void (*TOnTestEndProc)(void* context);
typedef int32_t (*TPlaySoundProc)(void* context, const TShortString* name, uint16_t volume, int16_t pan);
typedef void (*TLoadSoundProc)(void* context, const TShortString* name);
typedef void (*TUnloadSoundProc)(void* context, const TShortString* name);
typedef void (*TStopSoundProc)(void* context, int32_t slot);

typedef struct TOnTestEndSlot { TOnTestEndProc Code; void* Context; } TOnTestEndSlot;
typedef struct TPlaySoundSlot { TPlaySoundProc Code; void* Context; } TPlaySoundSlot;
typedef struct TLoadSoundSlot { TLoadSoundProc Code; void* Context; } TLoadSoundSlot;
typedef struct TUnloadSoundSlot { TUnloadSoundProc Code; void* Context; } TUnloadSoundSlot;
typedef struct TStopSoundSlot { TStopSoundProc Code; void* Context; } TStopSoundSlot;
KESTRAVA_STATIC_ASSERT(sizeof(TOnTestEndSlot) == 16, "a callback slot is code then context, 8 bytes each");

/* The shared status record. It is a field of the host's main form, lives as
 * long as the host and is never moved; the module gets its address with
 * MSG_INIT and may keep it until it is released. The host writes every
 * field; the module only reads them and calls the callbacks. The input
 * fields (0-287) are not cleared at the start of a test. */
typedef struct TTestStatus {
    int32_t Joy1X;            /* -10 (left) .. +10 (right) */
    int32_t Joy1Y;            /* -10 (forward/up) .. +10 (back/down) */
    uint8_t Joy1Buttons[4];   /* 1 = pressed */
    int32_t Joy2X;
    int32_t Joy2Y;
    uint8_t Joy2Buttons[4];
    int32_t MouseX;           /* pixels relative to the control under the mouse */
    int32_t MouseY;
    uint8_t KeyDown[256];     /* by virtual-key code: 1 while held */
    uint32_t DC;              /* device context of the test area, valid for one message */
    uint32_t Reserved;
    double Scale;             /* test area width / 800.0 */
    uint32_t ElapsedMs;       /* test time, a multiple of 10 */
    uint32_t DurationMs;      /* the module ends the test on the tick where ElapsedMs equals it */
    TShortString ModuleDir;   /* folder of the module file, ending with '/' */
    TShortString ModulePath;  /* full path of the module file */
    TOnTestEndSlot OnTestEnd;
    TPlaySoundSlot PlaySound;
    TLoadSoundSlot LoadSound;
    TUnloadSoundSlot UnloadSound;
    TStopSoundSlot StopSound;
} TTestStatus;
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, Joy1X) == 0, "TTestStatus.Joy1X");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, Joy1Y) == 4, "TTestStatus.Joy1Y");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, Joy1Buttons) == 8, "TTestStatus.Joy1Buttons");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, Joy2X) == 12, "TTestStatus.Joy2X");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, Joy2Y) == 16, "TTestStatus.Joy2Y");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, Joy2Buttons) == 20, "TTestStatus.Joy2Buttons");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, MouseX) == 24, "TTestStatus.MouseX");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, MouseY) == 28, "TTestStatus.MouseY");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, KeyDown) == 32, "TTestStatus.KeyDown");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, DC) == 288, "TTestStatus.DC");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, Reserved) == 292, "TTestStatus.Reserved");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, Scale) == 296, "TTestStatus.Scale");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, ElapsedMs) == 304, "TTestStatus.ElapsedMs");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, DurationMs) == 308, "TTestStatus.DurationMs");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, ModuleDir) == 312, "TTestStatus.ModuleDir");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, ModulePath) == 568, "TTestStatus.ModulePath");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, OnTestEnd) == 824, "TTestStatus.OnTestEnd");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, PlaySound) == 840, "TTestStatus.PlaySound");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, LoadSound) == 856, "TTestStatus.LoadSound");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, UnloadSound) == 872, "TTestStatus.UnloadSound");
KESTRAVA_STATIC_ASSERT(offsetof(TTestStatus, StopSound) == 888, "TTestStatus.StopSound");
KESTRAVA_STATIC_ASSERT(sizeof(TTestStatus) == 904, "TTestStatus is 904 bytes on 64-bit targets");

/* One entry per listed test, handed to a program file's PROG. */
typedef struct TProgEntry {
    TShortString Title;       /* the test's title as listed */
    int32_t KeepsResults;     /* from the module's MSG_INFO */
    uint32_t Reserved1;
    double AverageScore;      /* recent average result, percent */
    int32_t TotalMs;          /* total recorded test time */
    uint8_t Chosen;           /* 0 on entry; the program sets it for every test it includes */
    uint8_t Reserved2[3];
} TProgEntry;
KESTRAVA_STATIC_ASSERT(offsetof(TProgEntry, Title) == 0, "TProgEntry.Title");
KESTRAVA_STATIC_ASSERT(offsetof(TProgEntry, KeepsResults) == 256, "TProgEntry.KeepsResults");
KESTRAVA_STATIC_ASSERT(offsetof(TProgEntry, Reserved1) == 260, "TProgEntry.Reserved1");
KESTRAVA_STATIC_ASSERT(offsetof(TProgEntry, AverageScore) == 264, "TProgEntry.AverageScore");
KESTRAVA_STATIC_ASSERT(offsetof(TProgEntry, TotalMs) == 272, "TProgEntry.TotalMs");
KESTRAVA_STATIC_ASSERT(offsetof(TProgEntry, Chosen) == 276, "TProgEntry.Chosen");
KESTRAVA_STATIC_ASSERT(offsetof(TProgEntry, Reserved2) == 277, "TProgEntry.Reserved2");
KESTRAVA_STATIC_ASSERT(sizeof(TProgEntry) == 280, "TProgEntry is 280 bytes");

/* The exports, looked up by name with dlsym. A module exports exactly
 * DispatchMessage (code 0-255, cells the argument block); a program file
 * exports PROG (text: a 256-byte short string buffer for the result text).
 * Neither may let an exception escape. */
typedef void (*TDispatchMessageProc)(uint32_t code, TArgCell* cells);
typedef void (*TProgProc)(TShortString* text, TProgEntry* entries, int32_t count);
#define KESTRAVA_DISPATCH_SYMBOL "DispatchMessage"
#define KESTRAVA_PROG_SYMBOL "PROG"

#ifdef __cplusplus
} /* extern "C" */

#include <string>
#include <string_view>

namespace kestrava {

/* Windows-1252 code points 0x80-0x9F; the five undefined codes map to the C1
 * control of the same number, as the system's own conversion does. */
inline constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

inline char32_t Cp1252ToCodePoint(unsigned char c)
{
    return (c >= 0x80 && c <= 0x9F) ? kCp1252High[c - 0x80] : char32_t(c);
}

/* The Windows-1252 byte for a code point, or '?' when it has none. */
inline unsigned char CodePointToCp1252(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<unsigned char>(cp);
    for (unsigned i = 0; i < 32; ++i)
        if (kCp1252High[i] == cp)
            return static_cast<unsigned char>(0x80 + i);
    return '?';
}

inline std::string Cp1252ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        char32_t cp = Cp1252ToCodePoint(static_cast<unsigned char>(ch));
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

/* Converts UTF-8 to Windows-1252. A character without a Windows-1252 code
 * and every malformed byte sequence become '?'. */
inline std::string Utf8ToCp1252(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : 99;
        if (extra == 99 || i + extra >= text.size()) {
            out += '?';
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? lead : extra == 1 ? (lead & 0x1Fu) : extra == 2 ? (lead & 0x0Fu) : (lead & 0x07u);
        bool ok = true;
        for (size_t k = 1; k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3Fu);
        }
        static constexpr char32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += '?';
            ++i;
            continue;
        }
        out += static_cast<char>(CodePointToCp1252(cp));
        i += extra + 1;
    }
    return out;
}

/* The bytes of a short string, as stored (Windows-1252). */
inline std::string_view ShortStringView(const TShortString& s)
{
    return {reinterpret_cast<const char*>(s.Chars), s.Length};
}

/* Stores Windows-1252 bytes; returns false, storing nothing, when they do
 * not fit the 255 characters of a short string. */
inline bool SetShortString(TShortString& s, std::string_view cp1252)
{
    if (cp1252.size() > sizeof s.Chars)
        return false;
    s.Length = static_cast<uint8_t>(cp1252.size());
    for (size_t i = 0; i < cp1252.size(); ++i)
        s.Chars[i] = static_cast<uint8_t>(cp1252[i]);
    return true;
}

inline std::string ShortStringToUtf8(const TShortString& s) { return Cp1252ToUtf8(ShortStringView(s)); }

/* A text a module wrote, as UTF-8: it ends at the length byte or at the
 * first NUL, whichever comes first, so a module that wrote a C string with a
 * length byte larger than its content yields only the text. */
inline std::string ModuleTextToUtf8(const TShortString& s)
{
    const std::string_view view = ShortStringView(s);
    return Cp1252ToUtf8(view.substr(0, view.find('\0')));
}

inline bool SetShortStringUtf8(TShortString& s, std::string_view utf8) { return SetShortString(s, Utf8ToCp1252(utf8)); }

} // namespace kestrava
#endif /* __cplusplus */

#endif /* KESTRAVA_PROTOCOL_MYMESSAGES_H */
