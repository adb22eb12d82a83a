// The reset of all results.
#pragma once

#include <string>
#include <vector>

namespace kestrava {

// Deletes every result file in folder and its searchable subfolders that
// belongs to a module and holds results: a file NAME.RLT (extension in any
// case) beside a module NAME.TST, whose part count is not 0.
// A no-results marker (part count 0) stays, as do files of other
// extensions. A file too short to hold a part count holds no results and is
// deleted too. Returns the paths it could not read or delete; never throws.
// The caller refreshes the test list afterwards.
std::vector<std::string> DeleteResults(const std::string& folder);

} // namespace kestrava
