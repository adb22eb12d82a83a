#include "platform/gdi/Paths.h"

namespace kestrava {

namespace {
size_t ExtensionStart(std::string_view path)
{
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return path.size();
    return dot;
}
} // namespace

std::string ChangeFileExt(std::string_view path, std::string_view ext)
{
    std::string out(path.substr(0, ExtensionStart(path)));
    out += ext;
    return out;
}

std::string ExtractFilePath(std::string_view path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ExtractFileName(std::string_view path)
{
    size_t slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFileExt(std::string_view path) { return std::string(path.substr(ExtensionStart(path))); }

std::string UpperAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

} // namespace kestrava
