#include "ui/Resources.h"

#include "platform/gdi/Bitmap.h"
#include "ui/UiScale.h"

#include <sys/stat.h>

namespace kestrava::ui {

namespace {

std::string& Folder()
{
    static std::string folder;
    return folder;
}

} // namespace

EResNotFound::EResNotFound(const std::string& name, const std::string& path, const std::string& why)
    : std::runtime_error("Die Programmdatei \u201E" + path + "\u201C fehlt oder ist beschädigt."), m_detail(why),
      m_name(name), m_path(path)
{
}

void SetResourceFolder(std::string folder) { Folder() = std::move(folder); }
const std::string& ResourceFolder() { return Folder(); }

std::string ResourcePath(const std::string& folder, const std::string& name)
{
    const std::string file = name + ScaleSuffix() + ".bmp";
    if (folder.empty() || folder.back() == '/')
        return folder + file;
    return folder + "/" + file;
}

std::string ResourcePath(const std::string& name) { return ResourcePath(Folder(), name); }

bool HasResource(const std::string& name)
{
    if (Folder().empty())
        return false;
    struct stat st{};
    return ::stat(ResourcePath(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

gdi::Bitmap LoadResourceBitmap(const std::string& name)
{
    const std::string path = ResourcePath(name);
    if (Folder().empty())
        throw EResNotFound(name, path, "kein Ressourcenordner gesetzt");
    gdi::Bitmap picture;
    std::string why;
    if (!gdi::LoadBmp(path, picture, &why))
        throw EResNotFound(name, path, why);
    return picture;
}

} // namespace kestrava::ui
