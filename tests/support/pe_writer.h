#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/byte_writer.h"

namespace testsupport {

// A language and code page pair of VarFileInfo\Translation.
struct Translation {
  uint16_t language;
  uint16_t codePage;
};

// One StringFileInfo table: its key ("040904b0") and its strings (name, UTF-8 text) in order.
struct StringTable {
  std::string key;
  std::vector<std::pair<std::string, std::string>> strings;
};

// The parts of a VS_VERSIONINFO block, laid out as the resource compiler lays them out:
// the fixed file information, StringFileInfo with its tables, then VarFileInfo.
struct VersionInfo {
  std::vector<StringTable> tables{{"040904b0", {{"FileVersion", "1, 22, 0, 6328"}}}};
  // nullopt leaves VarFileInfo out; an empty list gives a Translation value of no bytes.
  std::optional<std::vector<Translation>> translations = std::vector<Translation>{{0x0409, 0x04B0}};
};

Bytes VersionInfoBlock(const VersionInfo& info);

// How the resource directory of a written PE file may point back at itself.
enum class ResourceLoop {
  None,
  TypeToRoot,        // the version type's entry leads to the root directory again
  NameToRoot,        // the name's entry leads to the root directory
  LanguageToItself,  // the language's entry leads to its own directory
};

// A minimal PE file: DOS header, PE headers, a code section and a resource section whose
// directory holds one resource (type, name 1, language 0x0409) with the given data. The
// resource data are the last bytes of the file, so every shorter prefix cuts them.
struct PeImage {
  bool pe32Plus = false;
  bool resources = true;       // false: no resource directory and no resource section
  uint16_t resourceType = 16;  // RT_VERSION
  ResourceLoop loop = ResourceLoop::None;
  Bytes resourceData = VersionInfoBlock({});
};

Bytes PeFile(const PeImage& image);

}  // namespace testsupport
