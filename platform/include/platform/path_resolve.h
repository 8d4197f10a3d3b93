#pragma once

#include <string>
#include <string_view>

namespace platform {

// Paths recorded by the game ("Maps\FrozenThrone\(2)EchoIsles.w3x") are relative to a folder of
// a Windows installation: separated by '\' and written in whatever letter case the recording
// machine used. Installations copied to this system keep their own case, so such a path is
// looked up one component at a time.

// The path `relative` converted to '/' separators, as it is shown in messages.
std::string ToSlashPath(std::string_view relative);

// The file `relative` (separated by '\' or '/') below `folder` (which ends in '/'): each
// component is matched against the names in its folder, ignoring the case of ASCII letters; a
// name with exactly the component's case wins over others that differ only in case, and among
// those the first by byte order. Empty and "." components are skipped. Returns the full path
// of the regular file (or link to one) found, or "" when there is none.
//
// The path must stay below `folder`: a path that begins with '/' or '\', a drive ("C:..."), or
// has a ".." component is not looked up and gives "". So does an empty `folder`: a path with
// no folder to resolve it against is not found.
std::string ResolvePathIgnoringCase(const std::string& folder, std::string_view relative);

}  // namespace platform
