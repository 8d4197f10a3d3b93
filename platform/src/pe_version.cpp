#include "platform/pe_version.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "platform/mapped_file.h"
#include "text_util.h"

namespace platform {
namespace {

constexpr uint16_t kRtVersion = 16;
constexpr uint16_t kVersionInfoName = 1;  // VS_VERSION_INFO, the name the version functions use
constexpr uint32_t kSubdirectory = 0x80000000;
constexpr uint32_t kResourceDataDirectory = 2;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kSectionHeaderSize = 40;
constexpr uint16_t kTextValue = 1;  // a node whose value length counts UTF-16 units, not bytes

// A bounds-checked little-endian view of untrusted bytes. A read that does not fit fails.
class View {
 public:
  View() = default;
  View(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t size() const { return size_; }
  bool Has(uint64_t at, uint64_t count) const { return at <= size_ && count <= size_ - at; }
  bool U16(uint64_t at, uint16_t& value) const {
    if (!Has(at, 2)) return false;
    value = static_cast<uint16_t>(data_[at] | data_[at + 1] << 8);
    return true;
  }
  bool U32(uint64_t at, uint32_t& value) const {
    if (!Has(at, 4)) return false;
    value = static_cast<uint32_t>(data_[at]) | static_cast<uint32_t>(data_[at + 1]) << 8 |
            static_cast<uint32_t>(data_[at + 2]) << 16 | static_cast<uint32_t>(data_[at + 3]) << 24;
    return true;
  }
  // The `count` bytes at `at`; the caller has checked Has(at, count).
  View Part(size_t at, size_t count) const { return View(data_ + at, count); }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// The headers of a PE file that locate things by their address in the loaded image.
struct Image {
  View file;
  uint64_t sectionTable = 0;
  uint16_t sectionCount = 0;
  uint32_t resourceRva = 0;

  // The file's bytes from the image address `rva` to the end of its section's data in the file;
  // nullopt when no section holds it in the file.
  std::optional<View> At(uint32_t rva) const {
    for (uint16_t i = 0; i < sectionCount; ++i) {
      const uint64_t header = sectionTable + uint64_t{i} * kSectionHeaderSize;
      uint32_t virtualSize = 0, address = 0, rawSize = 0, rawOffset = 0;
      if (!file.U32(header + 8, virtualSize) || !file.U32(header + 12, address) ||
          !file.U32(header + 16, rawSize) || !file.U32(header + 20, rawOffset)) {
        return std::nullopt;
      }
      const uint64_t extent = virtualSize != 0 ? virtualSize : rawSize;
      if (rva < address || rva - address >= extent) continue;
      const uint32_t delta = rva - address;
      if (delta >= rawSize) return std::nullopt;  // in the image, but not in the file
      const uint64_t offset = uint64_t{rawOffset} + delta;
      if (offset >= file.size()) return std::nullopt;
      const uint64_t length = std::min<uint64_t>(rawSize - delta, file.size() - offset);
      return file.Part(static_cast<size_t>(offset), static_cast<size_t>(length));
    }
    return std::nullopt;
  }
};

std::optional<Image> ReadHeaders(View file) {
  Image image;
  image.file = file;
  uint16_t mz = 0;
  uint32_t peOffset = 0, signature = 0;
  if (!file.U16(0, mz) || mz != 0x5A4D || !file.U32(0x3C, peOffset)) return std::nullopt;
  if (!file.U32(peOffset, signature) || signature != 0x00004550) return std::nullopt;
  const uint64_t coff = uint64_t{peOffset} + 4;
  const uint64_t optional = coff + 20;
  uint16_t optionalSize = 0, magic = 0;
  if (!file.U16(coff + 2, image.sectionCount) || !file.U16(coff + 16, optionalSize) ||
      !file.U16(optional, magic)) {
    return std::nullopt;
  }
  uint64_t countAt = 0;
  if (magic == kPe32Magic) {
    countAt = optional + 92;
  } else if (magic == kPe32PlusMagic) {
    countAt = optional + 108;
  } else {
    return std::nullopt;
  }
  uint32_t directoryCount = 0;
  const uint64_t resourceEntry = countAt + 4 + kResourceDataDirectory * 8;
  if (!file.U32(countAt, directoryCount) || directoryCount <= kResourceDataDirectory ||
      resourceEntry + 8 > optional + optionalSize || !file.U32(resourceEntry, image.resourceRva) ||
      image.resourceRva == 0) {
    return std::nullopt;
  }
  image.sectionTable = optional + optionalSize;
  return image;
}

// The target of an entry of the resource directory at `directory`: the entry with the number
// `id`, or the first entry when there is no id.
std::optional<uint32_t> DirectoryEntry(View resources, uint32_t directory,
                                       std::optional<uint16_t> id) {
  uint16_t named = 0, numbered = 0;
  if (!resources.U16(uint64_t{directory} + 12, named) ||
      !resources.U16(uint64_t{directory} + 14, numbered)) {
    return std::nullopt;
  }
  const uint32_t count = uint32_t{named} + numbered;
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t entry = uint64_t{directory} + 16 + uint64_t{i} * 8;
    uint32_t name = 0, target = 0;
    if (!resources.U32(entry, name) || !resources.U32(entry + 4, target)) return std::nullopt;
    if (!id || name == *id) return target;
  }
  return std::nullopt;
}

// The bytes of the version resource: type RT_VERSION, name 1, first language. Three levels
// exactly, directories at the first two and the data at the third: a loop in the directories
// cannot lead further.
std::optional<View> VersionResource(const Image& image) {
  const std::optional<View> resources = image.At(image.resourceRva);
  if (!resources) return std::nullopt;
  const std::optional<uint16_t> path[] = {kRtVersion, kVersionInfoName, std::nullopt};
  uint32_t offset = 0;
  for (size_t level = 0; level < 3; ++level) {
    const std::optional<uint32_t> target = DirectoryEntry(*resources, offset, path[level]);
    if (!target) return std::nullopt;
    const bool subdirectory = (*target & kSubdirectory) != 0;
    if (subdirectory != (level < 2)) return std::nullopt;
    offset = *target & ~kSubdirectory;
  }
  uint32_t dataRva = 0, dataSize = 0;
  if (!resources->U32(offset, dataRva) || !resources->U32(uint64_t{offset} + 4, dataSize))
    return std::nullopt;
  const std::optional<View> data = image.At(dataRva);
  if (!data || data->size() < dataSize) return std::nullopt;
  return data->Part(0, dataSize);
}

// One node of a VS_VERSIONINFO block: length, value length, type, key (zero-terminated UTF-16),
// the value and the children, each of the last two starting on a 4-byte boundary of the block.
struct Node {
  size_t end = 0;
  size_t key = 0;
  size_t keyUnits = 0;
  uint16_t valueLength = 0;
  uint16_t type = 0;
  size_t value = 0;
  size_t children = 0;
};

size_t Align4(size_t offset) {
  return (offset + 3) & ~size_t{3};
}

bool ReadNode(View block, size_t at, size_t limit, Node& node) {
  uint16_t length = 0;
  if (at > limit || !block.U16(at, length) || length < 6 || length > limit - at) return false;
  node.end = at + length;
  block.U16(at + 2, node.valueLength);
  block.U16(at + 4, node.type);
  node.key = at + 6;
  size_t position = node.key;
  for (uint16_t unit = 1; unit != 0; position += 2) {
    if (position + 2 > node.end || !block.U16(position, unit)) return false;
  }
  node.keyUnits = (position - node.key) / 2 - 1;
  node.value = Align4(position);
  const size_t valueBytes =
      node.type == kTextValue ? size_t{node.valueLength} * 2 : size_t{node.valueLength};
  node.children = Align4(node.value + valueBytes);
  return true;
}

bool KeyIs(View block, const Node& node, std::string_view name) {
  if (node.keyUnits != name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    uint16_t unit = 0;
    block.U16(node.key + 2 * i, unit);
    if (unit > 0x7F || detail::LowerAscii(static_cast<char>(unit)) != detail::LowerAscii(name[i]))
      return false;
  }
  return true;
}

// The first child of `parent` with the key `name`. Every node is at least 6 bytes long, so the
// walk always moves on and ends at the parent's end.
std::optional<Node> Child(View block, const std::optional<Node>& parent, std::string_view name) {
  if (!parent) return std::nullopt;
  for (size_t at = parent->children; at < parent->end && parent->end - at >= 6;) {
    Node child;
    if (!ReadNode(block, at, parent->end, child)) return std::nullopt;
    if (KeyIs(block, child, name)) return child;
    at = Align4(child.end);
  }
  return std::nullopt;
}

// The text value of a String node in UTF-8, up to its first zero or the node's end.
std::string TextValue(View block, const Node& node) {
  std::string text;
  if (node.valueLength == 0) return text;
  char32_t high = 0;
  for (size_t at = node.value; at + 2 <= node.end; at += 2) {
    uint16_t unit = 0;
    block.U16(at, unit);
    if (unit == 0) break;
    if (high != 0 && detail::IsLowSurrogate(unit)) {
      detail::AppendUtf8(text, detail::CombineSurrogates(high, unit));
      high = 0;
      continue;
    }
    if (high != 0) detail::AppendUtf8(text, 0xFFFD);
    high = detail::IsHighSurrogate(unit) ? unit : 0;
    if (high == 0) detail::AppendUtf8(text, unit);
  }
  if (high != 0) detail::AppendUtf8(text, 0xFFFD);
  return text;
}

}  // namespace

std::optional<std::string> FileVersionString(const uint8_t* data, size_t size) {
  if (data == nullptr) return std::nullopt;
  const std::optional<Image> image = ReadHeaders(View(data, size));
  if (!image) return std::nullopt;
  const std::optional<View> block = VersionResource(*image);
  if (!block) return std::nullopt;

  Node root;
  if (!ReadNode(*block, 0, block->size(), root)) return std::nullopt;
  const std::optional<Node> translation =
      Child(*block, Child(*block, root, "VarFileInfo"), "Translation");
  uint16_t language = 0, codePage = 0;
  if (!translation || translation->valueLength < 4 || translation->value + 4 > translation->end ||
      !block->U16(translation->value, language) || !block->U16(translation->value + 2, codePage)) {
    return std::nullopt;
  }
  char table[9];
  std::snprintf(table, sizeof table, "%04x%04x", language, codePage);
  const std::optional<Node> fileVersion =
      Child(*block, Child(*block, Child(*block, root, "StringFileInfo"), table), "FileVersion");
  if (!fileVersion) return std::nullopt;
  return TextValue(*block, *fileVersion);
}

std::optional<std::string> ReadFileVersionString(const std::string& path) {
  MappedFile file;
  if (file.Open(path.c_str()) != MappedFile::Status::Ok) return std::nullopt;
  return FileVersionString(file.data(), file.size());
}

}  // namespace platform
