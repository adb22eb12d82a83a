#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace kestrava {

// A settings file read once and looked up by section and key. Section and
// key names compare without regard to case, as the system's profile calls
// do; when a key appears twice in a section the first one counts.
class IniFile {
public:
    // Reads the file; a missing or unreadable file gives an empty lookup.
    explicit IniFile(const std::string& path);

    // The key's value when it is a decimal integer that fits int32 (optional
    // sign, surrounding blanks ignored); otherwise the default.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;

    bool Loaded() const { return m_loaded; }

private:
    static std::string Lower(std::string_view text);
    std::map<std::pair<std::string, std::string>, std::string> m_values;
    bool m_loaded = false;
};

// Parses a whole decimal int32; false for anything else.
bool ParseInt32(std::string_view text, int32_t& value);

} // namespace kestrava
