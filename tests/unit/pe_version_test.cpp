#include "platform/pe_version.h"

#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "support/pe_writer.h"
#include "support/temp_dir.h"

namespace {

using testsupport::Bytes;
using testsupport::PeFile;
using testsupport::PeImage;
using testsupport::ResourceLoop;
using testsupport::StringTable;
using testsupport::Translation;
using testsupport::VersionInfo;
using testsupport::VersionInfoBlock;

std::optional<std::string> VersionOf(const Bytes& file) {
  return platform::FileVersionString(file.data(), file.size());
}

PeImage WithVersion(const VersionInfo& info, bool pe32Plus = false) {
  PeImage image;
  image.pe32Plus = pe32Plus;
  image.resourceData = VersionInfoBlock(info);
  return image;
}

struct ReadableCase {
  const char* what;
  PeImage image;
  const char* version;
};

std::ostream& operator<<(std::ostream& out, const ReadableCase& c) {
  return out << c.what;
}

class ReadableVersion : public ::testing::TestWithParam<ReadableCase> {};

TEST_P(ReadableVersion, GivesTheFileVersionOfTheFirstTranslation) {
  EXPECT_EQ(VersionOf(PeFile(GetParam().image)), std::optional<std::string>(GetParam().version));
}

VersionInfo TwoLanguages(std::vector<Translation> order) {
  VersionInfo info;
  info.tables = {{"040904b0", {{"FileVersion", "1, 26, 0, 6401"}}},
                 {"041904e3", {{"FileVersion", "1, 26, 0, 6401 ru"}}}};
  info.translations = order;
  return info;
}

VersionInfo OneString(const char* tableKey, const char* name, const char* text) {
  VersionInfo info;
  info.tables = {{tableKey, {{name, text}}}};
  return info;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadableVersion,
    ::testing::Values(
        ReadableCase{"pe32", WithVersion({}), "1, 22, 0, 6328"},
        ReadableCase{"pe32_plus", WithVersion({}, true), "1, 22, 0, 6328"},
        ReadableCase{"first_translation_english",
                     WithVersion(TwoLanguages({{0x0409, 0x04B0}, {0x0419, 0x04E3}})),
                     "1, 26, 0, 6401"},
        ReadableCase{"first_translation_russian",
                     WithVersion(TwoLanguages({{0x0419, 0x04E3}, {0x0409, 0x04B0}})),
                     "1, 26, 0, 6401 ru"},
        // The table name is printed with small hex letters; files may hold capitals.
        ReadableCase{"table_key_in_capitals",
                     WithVersion(OneString("040904B0", "FileVersion", "1, 21, 1, 6300")),
                     "1, 21, 1, 6300"},
        ReadableCase{"string_name_in_other_case",
                     WithVersion(OneString("040904b0", "FILEVERSION", "1, 20, 4, 6074")),
                     "1, 20, 4, 6074"},
        ReadableCase{"after_other_strings",
                     [] {
                       VersionInfo info;
                       info.tables = {{"040904b0",
                                       {{"CompanyName", "Maker"},
                                        {"FileDescription", "Game"},
                                        {"FileVersion", "1, 24, 4, 6387"},
                                        {"ProductVersion", "1, 24, 4, 6387"}}}};
                       return WithVersion(info);
                     }(),
                     "1, 24, 4, 6387"},
        ReadableCase{"empty_text", WithVersion(OneString("040904b0", "FileVersion", "")), ""},
        // UTF-16 to UTF-8, a character beyond the first plane as a surrogate pair.
        ReadableCase{"not_ascii",
                     WithVersion(OneString("040904b0", "FileVersion", "версия 1 \xF0\x9F\x98\x80")),
                     "версия 1 \xF0\x9F\x98\x80"}),
    [](const ::testing::TestParamInfo<ReadableCase>& info) {
      return std::string(info.param.what);
    });

class MissingVersion : public ::testing::TestWithParam<ReadableCase> {};

TEST_P(MissingVersion, GivesNothing) {
  EXPECT_EQ(VersionOf(PeFile(GetParam().image)), std::nullopt);
}

PeImage Changed(void (*change)(PeImage&)) {
  PeImage image;
  change(image);
  return image;
}

INSTANTIATE_TEST_SUITE_P(
    Files, MissingVersion,
    ::testing::Values(
        ReadableCase{"no_resources", Changed([](PeImage& i) { i.resources = false; }), ""},
        ReadableCase{"only_an_icon_group", Changed([](PeImage& i) { i.resourceType = 14; }), ""},
        ReadableCase{"no_var_file_info",
                     [] {
                       VersionInfo info;
                       info.translations.reset();
                       return WithVersion(info);
                     }(),
                     ""},
        ReadableCase{"translation_of_no_bytes",
                     [] {
                       VersionInfo info;
                       info.translations = std::vector<Translation>{};
                       return WithVersion(info);
                     }(),
                     ""},
        ReadableCase{"table_of_another_language",
                     WithVersion(OneString("040704b0", "FileVersion", "1, 22, 0, 6328")), ""},
        ReadableCase{"no_file_version",
                     WithVersion(OneString("040904b0", "ProductVersion", "1, 22, 0, 6328")), ""},
        ReadableCase{"no_version_block", Changed([](PeImage& i) { i.resourceData.clear(); }), ""},
        ReadableCase{"type_leads_back_to_the_root",
                     Changed([](PeImage& i) { i.loop = ResourceLoop::TypeToRoot; }), ""},
        ReadableCase{"name_leads_back_to_the_root",
                     Changed([](PeImage& i) { i.loop = ResourceLoop::NameToRoot; }), ""},
        ReadableCase{"language_leads_to_itself",
                     Changed([](PeImage& i) { i.loop = ResourceLoop::LanguageToItself; }), ""}),
    [](const ::testing::TestParamInfo<ReadableCase>& info) {
      return std::string(info.param.what);
    });

TEST(PeVersion, OtherFilesAreNoPeFiles) {
  const Bytes pe = PeFile({});
  Bytes noSignature = pe;
  noSignature[0x40] = 'N';
  Bytes unknownMagic = pe;
  unknownMagic[0x40 + 24] = 0x07;  // the optional header's magic number
  const Bytes cases[] = {{}, {'M', 'Z'}, Bytes(4096, 0), noSignature, unknownMagic};
  for (const Bytes& file : cases)
    EXPECT_EQ(VersionOf(file), std::nullopt) << file.size() << " bytes";
  EXPECT_EQ(platform::FileVersionString(nullptr, 0), std::nullopt);
}

// The version block is the end of the file: every cut of it leaves a block whose lengths run
// past the bytes there are.
TEST(PeVersion, EveryShorterPrefixGivesNothing) {
  for (const bool pe32Plus : {false, true}) {
    PeImage image;
    image.pe32Plus = pe32Plus;
    const Bytes file = PeFile(image);
    ASSERT_EQ(VersionOf(file), "1, 22, 0, 6328");
    for (size_t size = 0; size < file.size(); ++size)
      ASSERT_EQ(platform::FileVersionString(file.data(), size), std::nullopt) << size;
  }
}

// A node's length that overstates what its parent holds, or a string without its zero before
// the end of its node, is a malformed block, not a longer text.
TEST(PeVersion, LengthsBeyondTheirParentGiveNothing) {
  const Bytes block = VersionInfoBlock({});
  const std::u16string fileVersion = u"FileVersion";
  const Bytes key(reinterpret_cast<const uint8_t*>(fileVersion.data()),
                  reinterpret_cast<const uint8_t*>(fileVersion.data() + fileVersion.size()));
  const auto found = std::search(block.begin(), block.end(), key.begin(), key.end());
  ASSERT_NE(found, block.end());
  const size_t stringNode = static_cast<size_t>(found - block.begin()) - 6;

  PeImage longer;
  longer.resourceData = block;
  longer.resourceData[stringNode] += 4;  // wLength of the FileVersion node
  EXPECT_EQ(VersionOf(PeFile(longer)), std::nullopt);

  PeImage rootTooLong;
  rootTooLong.resourceData = block;
  rootTooLong.resourceData[0] += 4;  // wLength of VS_VERSION_INFO
  EXPECT_EQ(VersionOf(PeFile(rootTooLong)), std::nullopt);
}

TEST(PeVersion, ReadsAFileAndNothingFromAMissingOne) {
  testsupport::TempDir dir;
  const std::string path = dir.Write("game.dll", PeFile({}));
  EXPECT_EQ(platform::ReadFileVersionString(path), "1, 22, 0, 6328");
  EXPECT_EQ(platform::ReadFileVersionString(dir.File("missing.dll")), std::nullopt);
  EXPECT_EQ(platform::ReadFileVersionString(dir.Write("empty.dll", {})), std::nullopt);
}

}  // namespace
