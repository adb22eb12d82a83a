#include "host/shell/HelpLinks.h"

#include "platform/gdi/Folders.h"
#include "platform/gdi/Paths.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrava::shell {

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::optional<int32_t> Int32Field(std::string_view field)
{
    field = Trim(field);
    if (!field.empty() && field.front() == '+')
        field.remove_prefix(1);
    int32_t value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || error != std::errc() || end != field.data() + field.size())
        return std::nullopt;
    return value;
}

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return UpperAscii(a) == UpperAscii(b); }

// The entry of folder named name in any case; exact first.
std::string MatchEntry(const std::string& folder, const std::string& name, bool wantFolder)
{
    struct stat st {};
    if (::stat((folder + name).c_str(), &st) == 0 && (wantFolder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode)))
        return name;
    std::string found;
    ForEachFolderEntry(folder, [&](const FolderEntry& entry) {
        if (found.empty() && EqualsNoCase(entry.name, name) &&
            (wantFolder ? ::stat((folder + entry.name).c_str(), &st) == 0 && S_ISDIR(st.st_mode) : entry.isFile))
            found = entry.name;
    });
    return found;
}

// Lexically normalised absolute folder (ending with '/'); nothing when ".."
// climbs above the root.
std::optional<std::string> Normalise(std::string_view path)
{
    std::vector<std::string_view> parts;
    size_t at = 0;
    while (at <= path.size()) {
        size_t next = path.find('/', at);
        if (next == std::string_view::npos)
            next = path.size();
        const std::string_view part = path.substr(at, next - at);
        if (part == "..") {
            if (parts.empty())
                return std::nullopt;
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = next + 1;
    }
    std::string out = "/";
    for (std::string_view part : parts) {
        out += part;
        out += '/';
    }
    return out;
}

} // namespace

std::optional<HelpLink> ParseHelpLinkLine(std::string_view line)
{
    if (line.size() > kHelpLinkLineMaxBytes)
        return std::nullopt;
    std::string_view fields[6];
    size_t at = 0;
    for (int i = 0; i < 5; ++i) {
        const size_t comma = line.find(',', at);
        if (comma == std::string_view::npos)
            return std::nullopt;
        fields[i] = line.substr(at, comma - at);
        at = comma + 1;
    }
    // The offset is the rest after the fifth comma: one more comma makes it
    // no number.
    fields[5] = line.substr(at);
    HelpLink link;
    int32_t* numbers[4] = {&link.left, &link.top, &link.right, &link.bottom};
    for (int i = 0; i < 4; ++i) {
        const auto value = Int32Field(fields[i]);
        if (!value)
            return std::nullopt;
        *numbers[i] = *value;
    }
    const auto offset = Int32Field(fields[5]);
    if (!offset)
        return std::nullopt;
    link.offset = *offset;
    const std::string_view target = Trim(fields[4]);
    if (target.empty() || target.size() > kHelpTargetMaxBytes)
        return std::nullopt;
    link.target = std::string(target);
    return link;
}

std::vector<HelpLink> ReadHelpLinks(const std::string& path)
{
    std::vector<HelpLink> links;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return links;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return links;
    }
    std::string text;
    text.resize(std::min<size_t>(kHelpLinkFileMaxBytes, static_cast<size_t>(std::max<off_t>(st.st_size, 0))));
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    text.resize(got);

    size_t at = 0;
    while (at < text.size() && links.size() < kHelpLinksMax) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        if (auto link = ParseHelpLinkLine(std::string_view(text).substr(at, end - at))) {
            link->target = UpperAscii(link->target);
            links.push_back(std::move(*link));
        }
        at = end + 1;
    }
    return links;
}

std::optional<HelpPlace> ResolveHelpTarget(std::string_view target, const std::string& baseFolder,
                                           const std::string& programFolder)
{
    std::string t(target);
    for (char& c : t)
        if (c == '\\')
            c = '/';
    const size_t slash = t.rfind('/');
    if (slash == std::string::npos)
        return t.empty() ? std::nullopt : std::optional<HelpPlace>(HelpPlace{baseFolder, t});
    HelpPlace place;
    place.name = t.substr(slash + 1);
    if (place.name.empty())
        return std::nullopt;
    const auto root = Normalise(programFolder);
    if (!root)
        return std::nullopt;
    std::string folder = t.substr(0, slash + 1);
    // Absolute folders are taken as they are; relative ones start at the
    // program folder. Either way the result must stay inside it.
    const auto normal = Normalise(folder.front() == '/' ? folder : *root + folder);
    if (!normal || normal->compare(0, root->size(), *root) != 0)
        return std::nullopt;
    // The part below the program folder may be written in any case.
    std::string resolved = *root;
    size_t at = root->size();
    while (at < normal->size()) {
        const size_t next = normal->find('/', at);
        const std::string part = normal->substr(at, next - at);
        const std::string match = MatchEntry(resolved, part, true);
        resolved += (match.empty() ? part : match) + "/";
        at = next + 1;
    }
    place.folder = resolved;
    return place;
}

std::string HelpScaleSuffix(double scale)
{
    if (scale == 1.5)
        return "@1.5x";
    if (scale == 2)
        return "@2x";
    return "";
}

HelpPageFiles FindHelpPage(const std::string& folder, const std::string& name, double scale)
{
    const std::string suffix = HelpScaleSuffix(scale);
    if (!suffix.empty() && !name.empty()) {
        const std::string picture = FindHelpFile(folder, name + suffix, ".BMP");
        if (!picture.empty())
            return {picture, FindHelpFile(folder, name + suffix, ".INI"), scale};
    }
    return {FindHelpFile(folder, name, ".BMP"), FindHelpFile(folder, name, ".INI"), 1};
}

std::string FindHelpFile(const std::string& folder, const std::string& name, const std::string& ext)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return {};
    const std::string match = MatchEntry(folder, name + ext, false);
    if (match.empty() || !IsRegularFile(folder + match))
        return {};
    return folder + match;
}

} // namespace kestrava::shell
