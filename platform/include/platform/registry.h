#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The string values that the program keeps "in the registry" live in one small file of the
// user's. Keys are paths below a root, separated by '\' as on Windows
// ("Software\Blizzard Entertainment\Warcraft III"); key and value names compare ignoring the case
// of ASCII letters; the value name "" is the key's default value.
//
// The file is plain UTF-8 text:
//
//   [HKEY_CURRENT_USER\Software\Blizzard Entertainment\Warcraft III]
//   InstallPath=/home/me/games/Warcraft III/
//   =the default value
//
// A line "[ROOT\key]" starts a key; a line "name=value" below it holds a value: the name up to
// the first '=' that is not escaped, the value to the end of the line, both taken exactly (no
// blanks are trimmed). Escapes, in names and values: "\\" backslash, "\n" line feed, "\r"
// carriage return, "\0" zero byte, "\=" '=' and "\[" '[' (written for '=' in a name and for a
// name that begins with '['); a backslash before any other character stands for itself. So
// every text round-trips exactly. Other lines, and values below a line that is no valid key
// header, belong to no key; they are kept as they are when the file is rewritten.
enum class RegistryRoot {
  CurrentUser,   // HKEY_CURRENT_USER
  ClassesRoot,   // HKEY_CLASSES_ROOT
  LocalMachine,  // HKEY_LOCAL_MACHINE
};

// The store file: the environment variable QUORVEL_REGISTRY when it is set and not empty, else
// $XDG_CONFIG_HOME/quorvel/registry.ini (XDG_CONFIG_HOME only when it is an absolute path),
// else ~/.config/quorvel/registry.ini. "" when there is no home folder either.
std::string RegistryFilePath();

// One store file. The object holds nothing but the file name: every call reads the file anew,
// and every change replaces it whole (a temporary file in the same folder, then a rename), so
// that a reader never sees half a file.
class RegistryStore {
 public:
  // The user's store, RegistryFilePath() at the time of the call.
  RegistryStore();
  explicit RegistryStore(std::string file) : file_(std::move(file)) {}

  const std::string& file() const { return file_; }

  // Opens `key` for reading and writing, creating it (and the file and its folder) when it is
  // missing, and returns the value `name`: its text, or "" when the key has no such value.
  // nullopt when the key can neither be opened nor created: the file or its folder cannot be
  // made or written, the file cannot be read or is larger than the store allows, or the key
  // path is not valid (an empty component such as "a\\b", or a control character; one leading
  // and one trailing '\' are dropped).
  std::optional<std::string> ReadString(RegistryRoot root, std::string_view key,
                                        std::string_view name) const;
  // The same, giving `fallback` when the key can neither be opened nor created.
  std::string ReadString(RegistryRoot root, std::string_view key, std::string_view name,
                         std::string_view fallback) const;

  // Stores `value` as the value `name` of `key`, creating the key when it is missing; every
  // other line of the file stays as it was. False when the key is not valid or the file cannot
  // be read or replaced (the file is then unchanged).
  bool WriteString(RegistryRoot root, std::string_view key, std::string_view name,
                   std::string_view value) const;

 private:
  std::string file_;
};

}  // namespace platform
