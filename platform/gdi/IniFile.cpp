#include "platform/gdi/IniFile.h"

#include "platform/gdi/FileAccess.h"

#include <ini.h>

#include <cctype>
#include <charconv>
#include <cstdio>

namespace kestrava {

IniFile::IniFile(const std::string& path)
{
    auto handler = [](void* user, const char* section, const char* name, const char* value) -> int {
        auto* self = static_cast<IniFile*>(user);
        self->m_values.emplace(std::make_pair(Lower(section), Lower(name)), value);
        return 1;
    };
    // Only a regular file is read: a FIFO in place of a settings file would
    // otherwise block the reader until someone writes to it.
    std::FILE* file = OpenRegularFileStream(path);
    if (file == nullptr)
        return;
    // inih reports a line it could not parse with a positive line number but
    // still reads the rest; only a file that cannot be read is a failure.
    m_loaded = ini_parse_file(file, handler, this) >= 0;
    std::fclose(file);
}

std::string IniFile::Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const
{
    auto it = m_values.find({Lower(section), Lower(key)});
    int32_t value = 0;
    if (it == m_values.end() || !ParseInt32(it->second, value))
        return defaultValue;
    return value;
}

bool ParseInt32(std::string_view text, int32_t& value)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    // One sign at most: from_chars takes a '-' itself, so after a '+' a
    // second sign must be refused here, or "+-3" would read as -3.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+'))
            return false;
    }
    if (text.empty())
        return false;
    int32_t parsed = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed, 10);
    if (ec != std::errc() || end != text.data() + text.size())
        return false;
    value = parsed;
    return true;
}

} // namespace kestrava
