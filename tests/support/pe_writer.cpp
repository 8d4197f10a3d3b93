#include "support/pe_writer.h"

#include <string_view>

namespace testsupport {
namespace {

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kCodeRva = 0x1000;
constexpr uint32_t kResourceRva = 0x2000;
constexpr uint32_t kSubdirectory = 0x80000000;

std::u16string Utf16(std::string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t code = length == 1   ? lead
                    : length == 2 ? lead & 0x1F
                    : length == 3 ? lead & 0x0F
                                  : lead & 0x07;
    for (size_t k = 1; k < length && i + k < text.size(); ++k)
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += length;
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
  }
  return out;
}

void Pad4(Bytes& bytes) {
  while (bytes.size() % 4 != 0)
    bytes.push_back(0);
}

void Put16(Bytes& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<uint8_t>(value);
  bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

// A node of the version block: length, value length, type, key, value, children, with the
// value and each child starting on a 4-byte boundary. The length counts no padding after the
// last part.
Bytes VersionNode(std::string_view key, const Bytes& value, uint16_t valueLength, uint16_t type,
                  const std::vector<Bytes>& children = {}) {
  Bytes node;
  ByteWriter head;
  head.U16(0).U16(valueLength).U16(type);
  node = head.bytes();
  for (const char16_t unit : Utf16(key)) {
    node.push_back(static_cast<uint8_t>(unit));
    node.push_back(static_cast<uint8_t>(unit >> 8));
  }
  node.push_back(0);
  node.push_back(0);
  if (!value.empty()) {
    Pad4(node);
    node.insert(node.end(), value.begin(), value.end());
  }
  for (const Bytes& child : children) {
    Pad4(node);
    node.insert(node.end(), child.begin(), child.end());
  }
  Put16(node, 0, static_cast<uint16_t>(node.size()));
  return node;
}

Bytes StringNode(const std::string& name, const std::string& text) {
  Bytes value;
  const std::u16string units = Utf16(text) + u'\0';
  for (const char16_t unit : units) {
    value.push_back(static_cast<uint8_t>(unit));
    value.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return VersionNode(name, value, static_cast<uint16_t>(units.size()), 1);
}

Bytes FixedFileInfo() {
  ByteWriter info;
  info.U32(0xFEEF04BD).U32(0x00010000);
  info.U32(0x00010016).U32(0x000018B8).U32(0x00010016).U32(0x000018B8);  // 1.22.0.6328
  info.U32(0x3F).U32(0).U32(0x00040004).U32(2).U32(0).U32(0).U32(0);
  return info.bytes();
}

// The resource section: root, name and language directories of one entry each, the data entry,
// then the data. Offsets are from the start of the section.
Bytes ResourceSection(const PeImage& image) {
  constexpr uint32_t kRoot = 0x00, kNames = 0x18, kLanguages = 0x30, kDataEntry = 0x48,
                     kData = 0x58;
  const auto directory = [](ByteWriter& out, uint32_t id, uint32_t target) {
    out.U32(0).U32(0).U16(4).U16(0).U16(0).U16(1);
    out.U32(id).U32(target);
  };
  ByteWriter out;
  directory(out, image.resourceType,
            kSubdirectory | (image.loop == ResourceLoop::TypeToRoot ? kRoot : kNames));
  directory(out, 1, kSubdirectory | (image.loop == ResourceLoop::NameToRoot ? kRoot : kLanguages));
  directory(out, 0x0409,
            image.loop == ResourceLoop::LanguageToItself ? kSubdirectory | kLanguages : kDataEntry);
  out.U32(kResourceRva + kData).U32(static_cast<uint32_t>(image.resourceData.size())).U32(0).U32(0);
  out.Raw(image.resourceData);
  return out.bytes();
}

void Section(ByteWriter& out, const char* name, uint32_t rva, uint32_t size, uint32_t offset,
             uint32_t characteristics) {
  out.Text(name, false).Zeros(8 - std::string_view(name).size());
  out.U32(size).U32(rva).U32(size).U32(offset).U32(0).U32(0).U16(0).U16(0).U32(characteristics);
}

}  // namespace

Bytes VersionInfoBlock(const VersionInfo& info) {
  std::vector<Bytes> tables;
  for (const StringTable& table : info.tables) {
    std::vector<Bytes> strings;
    for (const auto& [name, text] : table.strings)
      strings.push_back(StringNode(name, text));
    tables.push_back(VersionNode(table.key, {}, 0, 1, strings));
  }
  std::vector<Bytes> children{VersionNode("StringFileInfo", {}, 0, 1, tables)};
  if (info.translations) {
    ByteWriter pairs;
    for (const Translation& translation : *info.translations)
      pairs.U16(translation.language).U16(translation.codePage);
    const Bytes var =
        VersionNode("Translation", pairs.bytes(), static_cast<uint16_t>(pairs.size()), 0);
    children.push_back(VersionNode("VarFileInfo", {}, 0, 1, {var}));
  }
  const Bytes fixed = FixedFileInfo();
  return VersionNode("VS_VERSION_INFO", fixed, static_cast<uint16_t>(fixed.size()), 0, children);
}

Bytes PeFile(const PeImage& image) {
  const Bytes resources = image.resources ? ResourceSection(image) : Bytes{};
  const uint16_t sectionCount = image.resources ? 2 : 1;
  const uint32_t codeOffset = kFileAlignment, codeSize = kFileAlignment;
  const uint32_t resourceOffset = codeOffset + codeSize;
  const auto resourceSize = static_cast<uint32_t>(resources.size());
  const uint16_t optionalSize = image.pe32Plus ? 240 : 224;

  ByteWriter out;
  // DOS header: "MZ", and at 0x3C the offset of the PE signature.
  out.Text("MZ", false).Zeros(0x3A).U32(0x40);
  out.Text("PE", true).U8(0);
  out.U16(image.pe32Plus ? 0x8664 : 0x014C).U16(sectionCount).U32(0).U32(0).U32(0);
  out.U16(optionalSize).U16(image.pe32Plus ? 0x2022 : 0x2102);  // a DLL

  const size_t optionalStart = out.size();
  out.U16(image.pe32Plus ? 0x20B : 0x10B).U8(14).U8(0);
  out.U32(codeSize).U32(resourceSize).U32(0).U32(0).U32(kCodeRva);
  if (image.pe32Plus) {
    out.U32(0x10000000).U32(0);  // image base, 64 bits
  } else {
    out.U32(kCodeRva).U32(0x10000000);  // base of data, image base
  }
  out.U32(kSectionAlignment).U32(kFileAlignment);
  out.U16(5).U16(1).U16(0).U16(0).U16(5).U16(1).U32(0);
  out.U32(kResourceRva + kSectionAlignment).U32(kFileAlignment).U32(0).U16(2).U16(0x140);
  for (int i = 0; i < 4; ++i) {  // stack and heap sizes: 32 or 64 bits each
    out.U32(0x100000);
    if (image.pe32Plus) out.U32(0);
  }
  out.U32(0).U32(16);
  for (uint32_t entry = 0; entry < 16; ++entry) {
    if (entry == 2 && image.resources) {
      out.U32(kResourceRva).U32(resourceSize);
    } else {
      out.U32(0).U32(0);
    }
  }
  if (out.size() - optionalStart != optionalSize) return {};  // a mistake of this writer

  Section(out, ".text", kCodeRva, codeSize, codeOffset, 0x60000020);
  if (image.resources)
    Section(out, ".rsrc", kResourceRva, resourceSize, resourceOffset, 0x40000040);
  out.Zeros(codeOffset - out.size());
  out.U8(0xC3).Zeros(codeSize - 1);  // a lone return instruction
  out.Raw(resources);
  return out.bytes();
}

}  // namespace testsupport
