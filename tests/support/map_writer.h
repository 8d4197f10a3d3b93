#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/byte_writer.h"

namespace testsupport {

Bytes TextBytes(const std::string& text);

// A row of a map's unit table: the identifier and, in column 18, its kind ("structure" for a
// building).
std::vector<std::string> UnitRow(const std::string& id, const std::string& kind = "");

// One string change of an object-editor file.
struct Rename {
  std::string baseId;
  std::string modId;  // "unam" names the object
  std::string text;
};

// An object the map adds: its own id, the object it is based on, and its name ("" for none).
struct AddedObject {
  std::string newId;
  std::string baseId;
  std::string name;
};

// A unit or item object-editor file (no level fields) whose modified objects each get one of the
// given string changes, and which adds the given objects.
Bytes EditorFile(const std::vector<Rename>& renames, const std::vector<AddedObject>& added = {});

// A BLP1 minimap of the given size, one flat colour.
Bytes Minimap(uint32_t width, uint32_t height);

}  // namespace testsupport
