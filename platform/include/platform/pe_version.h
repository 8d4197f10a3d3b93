#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The version text of a Windows program file (PE, 32 or 64 bit), read the way the Windows
// version functions read it: the version resource (type RT_VERSION, name 1, its first language)
// is a VS_VERSIONINFO block; the first language and code page pair of VarFileInfo\Translation,
// printed "%04x%04x", names the StringFileInfo table, and its "FileVersion" string is the text,
// "1, 22, 0, 6328" for one. Table and string names compare ignoring ASCII case. The text comes
// back in UTF-8 and ends at its first zero character.
//
// The bytes are untrusted: every read is bounded by the buffer, the resource directory is
// walked exactly three levels deep (so a directory that points back at itself ends the walk),
// and every length is checked against the block that holds it. nullopt for anything missing or
// malformed: not a PE file, no resources, no version resource, no translation, no table for the
// translation, no FileVersion, or a structure that runs out of its bounds.
std::optional<std::string> FileVersionString(const uint8_t* data, size_t size);

// The same for the file `path`, mapped read-only; nullopt also when it cannot be mapped.
std::optional<std::string> ReadFileVersionString(const std::string& path);

}  // namespace platform
