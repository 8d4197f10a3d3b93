#include "support/map_writer.h"

#include "support/blp_writer.h"

namespace testsupport {

Bytes TextBytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

std::vector<std::string> UnitRow(const std::string& id, const std::string& kind) {
  std::vector<std::string> row(19);
  row[0] = id;
  row[18] = kind;
  return row;
}

Bytes EditorFile(const std::vector<Rename>& renames, const std::vector<AddedObject>& added) {
  ByteWriter out;
  out.U32(2).U32(static_cast<uint32_t>(renames.size()));
  for (const Rename& rename : renames) {
    out.Text(rename.baseId, false).Zeros(4).U32(1);
    out.Text(rename.modId, false).U32(3).Text(rename.text).Zeros(4);
  }
  out.U32(static_cast<uint32_t>(added.size()));
  for (const AddedObject& object : added) {
    out.Text(object.baseId, false).Text(object.newId, false);
    if (object.name.empty()) {
      out.U32(0);
    } else {
      out.U32(1).Text("unam", false).U32(3).Text(object.name).Zeros(4);
    }
  }
  return out.bytes();
}

Bytes Minimap(uint32_t width, uint32_t height) {
  BlpImage image;
  image.width = width;
  image.height = height;
  image.channels = 4;
  image.pixels.assign(size_t{width} * height * 4, 0x80);
  return WriteBlp1({image});
}

}  // namespace testsupport
