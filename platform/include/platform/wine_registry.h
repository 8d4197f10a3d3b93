#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A game installed under Wine records its folder in the Wine prefix's registry file of the user
// ("user.reg"), not in our store. These functions read it from there as a second source of the
// game folder when the store has none.

// The string value `name` ("" for the default value, written "@") of `key` (a path below the
// file's root, separated by '\': "Software\Blizzard Entertainment\Warcraft III") in the text of
// a Wine registry file. Key and value names compare ignoring ASCII letter case. Values written
// as "text" or str(2):"text" count; Wine's escapes are decoded (\\ \" \n \t ..., octal, and \x
// with up to four hex digits as UTF-16 units) and the result is UTF-8. nullopt when the key or
// value is missing, the value is not a string, or its text is not closed on its line.
std::optional<std::string> FindWineRegistryString(std::string_view fileText, std::string_view key,
                                                  std::string_view name);

// The same, read from the file `file` (nullopt also when it cannot be read or is too large).
std::optional<std::string> ReadWineRegistryString(const std::string& file, std::string_view key,
                                                  std::string_view name);

// The file on this system that the Windows path `windowsPath` ("C:\Program Files\Warcraft III\")
// names inside the Wine prefix `prefix`: the drive through the link prefix/dosdevices/<x>: when
// there is one, else drive C: as prefix/drive_c; '\' become '/', and a trailing '\' stays a
// trailing '/'. "" for a path without a drive letter, or on a drive the prefix does not have.
std::string WindowsPathInWinePrefix(const std::string& prefix, std::string_view windowsPath);

// The Wine prefix of the user: $WINEPREFIX when it is set and not empty, else ~/.wine ("" when
// there is no home folder).
std::string WinePrefix();

// The game folder recorded in the prefix: the value InstallPath of the key
// "Software\Blizzard Entertainment\Warcraft III" in prefix/user.reg, as a path on this system.
// "" when there is none.
std::string InstallPathInWinePrefix(const std::string& prefix);

// InstallPathInWinePrefix(WinePrefix()).
std::string WineInstallPath();

}  // namespace platform
