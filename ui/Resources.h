// The program's resources: the skin pieces, dialog backgrounds and the
// pictures of the forms' buttons and images, each a bitmap file NAME.bmp in
// one folder of the program folder, looked up by name. At a user-interface
// scale k other than 1 (UiScale.h) each is drawn for that scale and lies
// beside it as NAME@1.5x.bmp or NAME@2x.bmp (an alpha mask NAMEA@2x.bmp);
// the picture for 1 never stands in for it.
//
// The folder is set once at start-up, before the first skinned control is
// made. A resource the program needs and cannot find is a broken
// installation: loading it throws EResNotFound, whose message names the
// missing file, and the start ends with that message.
#pragma once

#include "platform/gdi/Bitmap.h"

#include <stdexcept>
#include <string>

namespace kestrava::ui {

class EResNotFound : public std::runtime_error {
public:
    EResNotFound(const std::string& name, const std::string& path, const std::string& why);
    const std::string& Name() const { return m_name; }
    const std::string& Path() const { return m_path; }
    // Why the file could not be read, for the log.
    const std::string& Detail() const { return m_detail; }

private:
    std::string m_detail;
    std::string m_name;
    std::string m_path;
};

// The folder the resources are looked up in (with or without a trailing
// '/'); empty until set, and then no resource is found.
void SetResourceFolder(std::string folder);
const std::string& ResourceFolder();
// folder + NAME.bmp, with the scale's suffix before the extension
std::string ResourcePath(const std::string& folder, const std::string& name);
std::string ResourcePath(const std::string& name);
// Whether the resource folder holds NAME.bmp.
bool HasResource(const std::string& name);

// Loads the resource as it is stored (depth, palette and alpha kept), or
// throws EResNotFound.
gdi::Bitmap LoadResourceBitmap(const std::string& name);

} // namespace kestrava::ui
