// The archive library binding and the archive reads of the game data reader, on archives written
// by StormLib's create functions and on real map files.
#include <dlfcn.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "gamedata/log.h"
#include "gamedata/memory_manager.h"
#include "gamedata/mpq_binding.h"
#include "gamedata/mpq_data_reader.h"
#include "gamedata/profile_text.h"
#include "support/corpus.h"
#include "support/mpq_writer.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using testsupport::LogMessages;

using testsupport::ScopedEnv;

namespace fs = std::filesystem;
using testsupport::Bytes;
using testsupport::MpqMember;
using testsupport::PatternBytes;
using testsupport::WriteMpq;

constexpr size_t kImageBufferSize = TMPQDataReader::kImageBufferSize;

Bytes TextBytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

Bytes ImageBufferBytes(const TMPQDataReader& reader, size_t size) {
  return Bytes(reader.ImageBuffer.get(), reader.ImageBuffer.get() + size);
}

bool AllZero(const uint8_t* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i)
    if (bytes[i] != 0) return false;
  return true;
}

// Records the profile events it hears, one text per event.
class RecordingConsumer : public ProfileConsumer {
 public:
  void Section(const char* id) override { events.push_back(std::string("[") + id + "]"); }
  void Pair(const char* key, const char* value) override {
    events.push_back(std::string(key) + "=" + value);
  }
  std::vector<std::string> events;
};

// A stand-in for the texture decoder: remembers what it was given and answers a marker.
struct DecoderCall {
  const uint8_t* data = nullptr;
  int calls = 0;
};
DecoderCall gDecoderCall;
BlpBitmap* gBitmapMarker;
BlpBitmap** RecordingDecoder(const uint8_t* data) {
  gDecoderCall.data = data;
  ++gDecoderCall.calls;
  return &gBitmapMarker;
}

// Makes the module unbound whatever an earlier test left behind: destroying any binding
// unbinds the module.
void ResetBinding() {
  SFMPQAPIMODULE reset;
}

// A reader with a log, a game folder of its own and this module bound to StormLib.
class MpqReaderTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetBinding();
    binding_ = std::make_unique<SFMPQAPIMODULE>();
    ASSERT_TRUE(MpqLibraryBound()) << "StormLib (" << kMpqLibraryName << ") is not installed";
    fs::create_directories(GameDir());
    logPath_ = dir_.File("quorvel.log");
    log_ = std::make_unique<CLog>(logPath_.c_str());
    reader_.Log = log_.get();
    reader_.GamePath = GameDir() + "/";
    gDecoderCall = DecoderCall{};
  }

  // The reader never closes its archives; the test does, so that nothing leaks.
  void TearDown() override {
    std::set<void*> archives{reader_.PatchArchive, reader_.LocalArchive, reader_.ExpansionArchive,
                             reader_.BaseArchive, reader_.MapArchive};
    for (void* archive : archives)
      if (archive != nullptr) SFMPQAPIMODULE::SFileCloseArchive(archive);
    binding_.reset();
  }

  std::string GameDir() const { return dir_.File("game"); }

  // Writes the archive `name` into the game folder.
  void WriteArchive(const std::string& name, const std::vector<MpqMember>& members) {
    WriteMpq(GameDir() + "/" + name, members);
  }

  // Writes the four standard archives, each holding `members`.
  void WriteStandardArchives(const std::vector<MpqMember>& members = {}) {
    for (const char* name : {"war3Patch.mpq", "war3xlocal.mpq", "war3x.mpq", "war3.mpq"})
      WriteArchive(name, members);
  }

  // Opens an archive file as the map archive.
  void OpenMap(const std::string& path) {
    ASSERT_TRUE(SFMPQAPIMODULE::SFileOpenArchive(path.c_str(), 0, 0, &reader_.MapArchive)) << path;
  }

  std::vector<std::string> Messages() const { return LogMessages(logPath_); }

  testsupport::TempDir dir_;
  ScopedEnv library_{kMpqLibraryVariable, nullptr};
  std::unique_ptr<SFMPQAPIMODULE> binding_;
  std::string logPath_;
  std::unique_ptr<CLog> log_;
  TMPQDataReader reader_;
};

// --- The binding -------------------------------------------------------------------------------

TEST_F(MpqReaderTest, MissingLibraryLeavesTheModuleUnboundAndEveryReadFails) {
  WriteStandardArchives({{"Units\\UnitData.slk", TextBytes("ID;PWXL;N;E\r\n")}});
  binding_.reset();
  {
    ScopedEnv missing(kMpqLibraryVariable, dir_.File("no-such-library.so.9").c_str());
    SFMPQAPIMODULE binding;
    EXPECT_FALSE(MpqLibraryBound());
    EXPECT_FALSE(SFMPQAPIMODULE::IsBound());

    EXPECT_EQ(reader_.CheckMpqLibrary(), MpqNoLibrary);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Cant init MPQ library.\n"});

    reader_.OpenStandardArchives();
    EXPECT_EQ(reader_.PatchArchive, nullptr);
    EXPECT_EQ(reader_.BaseArchive, nullptr);
    TCustomMemoryManager memory;
    const MpqTableFile table =
        reader_.ReadTableFile(reader_.PatchArchive, "Units\\UnitData.slk", memory);
    EXPECT_EQ(table.Code, MpqFileMissing);
    EXPECT_EQ(table.Bytes, nullptr);
  }
  // The default library name binds again once the variable is gone.
  binding_ = std::make_unique<SFMPQAPIMODULE>();
  EXPECT_TRUE(MpqLibraryBound());
}

TEST_F(MpqReaderTest, BoundLibraryPassesTheCheckWithoutALogLine) {
  EXPECT_EQ(reader_.CheckMpqLibrary(), MpqOk);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(MpqReaderTest, DestroyingAnyBindingUnbindsTheModule) {
  auto second = std::make_unique<SFMPQAPIMODULE>();
  EXPECT_TRUE(MpqLibraryBound());
  second.reset();
  EXPECT_FALSE(MpqLibraryBound());
  SFMPQAPIMODULE third;
  EXPECT_TRUE(MpqLibraryBound());
}

// A library that loads but lacks the archive functions: the module counts as bound, yet every
// operation fails cleanly instead of calling through a null entry point.
TEST_F(MpqReaderTest, LibraryWithoutTheEntryPointsFailsEveryOperation) {
  WriteStandardArchives();
  Dl_info info{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&zlibVersion), &info), 0);
  binding_.reset();
  ScopedEnv other(kMpqLibraryVariable, info.dli_fname);
  SFMPQAPIMODULE binding;
  ASSERT_TRUE(MpqLibraryBound());

  reader_.OpenStandardArchives();
  EXPECT_EQ(reader_.PatchArchive, nullptr);
  EXPECT_EQ(Messages().size(), 4u);
  void* bitmap = &gBitmapMarker;
  EXPECT_EQ(reader_.ReadImage("war3mapMap.blp", &bitmap), MpqFileMissing);
  EXPECT_EQ(bitmap, nullptr);
}

// --- Opening the standard archives ---------------------------------------------------------------

TEST_F(MpqReaderTest, MissingLocalArchiveIsLoggedOnceAndTheOthersOpen) {
  // Each archive's copy of the member names the archive, so a mix-up of archives shows.
  const auto member = [](const char* section) {
    return std::vector<MpqMember>{{"Units\\OrcUpgradeStrings.txt", TextBytes(section)}};
  };
  WriteArchive("war3Patch.mpq", member("[Rpat]\n"));
  WriteArchive("war3x.mpq", member("[Rexp]\n"));
  WriteArchive("war3.mpq", member("[Rbas]\n"));

  reader_.OpenStandardArchives();

  const std::string base = GameDir() + "/";
  EXPECT_EQ(reader_.PatchArchivePath, base + "war3Patch.mpq");
  EXPECT_EQ(reader_.LocalArchivePath, base + "war3xlocal.mpq");
  EXPECT_EQ(reader_.ExpansionArchivePath, base + "war3x.mpq");
  EXPECT_EQ(reader_.BaseArchivePath, base + "war3.mpq");
  EXPECT_NE(reader_.PatchArchive, nullptr);
  EXPECT_EQ(reader_.LocalArchive, nullptr);
  EXPECT_NE(reader_.ExpansionArchive, nullptr);
  EXPECT_NE(reader_.BaseArchive, nullptr);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Cant open " + base +
                                                 "war3xlocal.mpq(SFileOpenArchive failed).\n"});

  RecordingConsumer consumer;
  EXPECT_EQ(reader_.ReadTextFile(reader_.LocalArchive, "Units\\OrcUpgradeStrings.txt", consumer),
            MpqFileMissing);
  EXPECT_STREQ(reader_.ErrorFile, "Units\\OrcUpgradeStrings.txt");
  EXPECT_EQ(reader_.ErrorCode, MpqFileMissing);
  EXPECT_TRUE(consumer.events.empty());

  TCustomMemoryManager memory;
  const MpqTableFile table =
      reader_.ReadTableFile(reader_.LocalArchive, "Units\\UnitData.slk", memory);
  EXPECT_EQ(table.Code, MpqFileMissing);
  EXPECT_EQ(table.File, nullptr);
  EXPECT_STREQ(reader_.ErrorFile, "Units\\UnitData.slk");

  // The archives that opened stay usable, also after a further failed open (a map that is not
  // there).
  void* map = nullptr;
  EXPECT_FALSE(SFMPQAPIMODULE::SFileOpenArchive(dir_.File("missing.w3x").c_str(), 0, 0, &map));
  EXPECT_EQ(map, nullptr);
  for (void* archive : {reader_.PatchArchive, reader_.ExpansionArchive, reader_.BaseArchive}) {
    EXPECT_EQ(reader_.ReadTextFile(archive, "Units\\OrcUpgradeStrings.txt", consumer), MpqOk);
  }
  EXPECT_EQ(consumer.events, (std::vector<std::string>{"[Rpat]", "[Rexp]", "[Rbas]"}));
}

TEST_F(MpqReaderTest, GameFolderComesBeforeTheDataFolder) {
  const std::string dataDir = dir_.File("ParserData");
  fs::create_directories(dataDir);
  WriteStandardArchives({{"where.txt", TextBytes("game")}});
  for (const char* name : {"war3Patch.mpq", "war3xlocal.mpq", "war3x.mpq", "war3.mpq"})
    WriteMpq(dataDir + "/" + name, {{"where.txt", TextBytes("data")}});

  struct Case {
    std::string gamePath;
    std::string expected;
  };
  for (const Case& c : {Case{GameDir() + "/", "game"}, Case{"", "data"}}) {
    SCOPED_TRACE(c.expected);
    TMPQDataReader reader;
    reader.GamePath = c.gamePath;
    reader.DataPath = dataDir + "/";
    reader.OpenStandardArchives();
    TCustomMemoryManager memory;
    for (void* archive :
         {reader.PatchArchive, reader.LocalArchive, reader.ExpansionArchive, reader.BaseArchive}) {
      const MpqTableFile table = reader.ReadTableFile(archive, "where.txt", memory);
      ASSERT_EQ(table.Code, MpqOk);
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(table.Bytes), table.Size), c.expected);
      SFMPQAPIMODULE::SFileCloseFile(table.File);
      SFMPQAPIMODULE::SFileCloseArchive(archive);
    }
  }
}

// StormLib asks for write access unless told otherwise; installed archives are often read-only.
TEST_F(MpqReaderTest, ReadOnlyArchivesOpen) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write to read-only files: nothing to show";
  WriteStandardArchives({{"hello.txt", TextBytes("hello")}});
  for (const auto& entry : fs::directory_iterator(GameDir()))
    fs::permissions(entry.path(),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  reader_.OpenStandardArchives();
  EXPECT_NE(reader_.PatchArchive, nullptr);
  EXPECT_NE(reader_.BaseArchive, nullptr);
  EXPECT_TRUE(Messages().empty());
}

// --- Table files --------------------------------------------------------------------------------

TEST_F(MpqReaderTest, TableFilesAreReadWholeIntoTheMemoryManager) {
  const std::vector<MpqMember> members = {
      {"Units\\UnitData.slk", PatternBytes(150000, 1)},
      {"Units\\AbilityData.slk", PatternBytes(4096, 2)},
      {"war3map.w3u", PatternBytes(1, 3)},
      {"war3mapSkin.txt", {}},
  };
  WriteStandardArchives();
  WriteArchive("war3Patch.mpq", members);
  reader_.OpenStandardArchives();
  ASSERT_NE(reader_.PatchArchive, nullptr);

  TCustomMemoryManager memory;
  for (const MpqMember& member : members) {
    SCOPED_TRACE(member.name);
    const MpqTableFile table =
        reader_.ReadTableFile(reader_.PatchArchive, member.name.c_str(), memory);
    ASSERT_EQ(table.Code, MpqOk);
    ASSERT_NE(table.File, nullptr);
    ASSERT_NE(table.Bytes, nullptr);
    EXPECT_EQ(Bytes(table.Bytes, table.Bytes + table.Size), member.bytes);
    ASSERT_NE(memory.Blocks, nullptr);
    EXPECT_GE(table.Bytes, memory.Blocks->Base);
    EXPECT_LE(table.Bytes + table.Size,
              memory.Blocks->Base + TCustomMemoryManager::kMemoryBlockSize);
    EXPECT_TRUE(SFMPQAPIMODULE::SFileCloseFile(table.File));
  }
  EXPECT_EQ(reader_.ErrorCode, 0);
  EXPECT_STREQ(reader_.ErrorFile, "");
}

// Scope 0: only the archive given is searched, even when another open archive has the member.
TEST_F(MpqReaderTest, ReadsSearchOnlyTheArchiveGiven) {
  WriteStandardArchives();
  WriteArchive("war3.mpq", {{"Units\\NightElfUpgradeFunc.txt", TextBytes("[Renb]\n")}});
  reader_.OpenStandardArchives();
  RecordingConsumer consumer;
  EXPECT_EQ(reader_.ReadTextFile(reader_.PatchArchive, "Units\\NightElfUpgradeFunc.txt", consumer),
            MpqFileMissing);
  EXPECT_EQ(reader_.ReadTextFile(reader_.BaseArchive, "Units\\NightElfUpgradeFunc.txt", consumer),
            MpqOk);
  EXPECT_EQ(consumer.events, std::vector<std::string>{"[Renb]"});
}

// The memory manager hands out at most one 8 MB block: a larger member fails this read only.
TEST_F(MpqReaderTest, TableFileLargerThanABlockFailsWithNoMemory) {
  constexpr size_t kBlock = TCustomMemoryManager::kMemoryBlockSize;
  WriteStandardArchives();
  WriteArchive("war3Patch.mpq", {{"Units\\Whole.slk", PatternBytes(kBlock, 4)},
                                 {"Units\\TooBig.slk", PatternBytes(kBlock + 1, 5)},
                                 {"Units\\Small.slk", PatternBytes(10, 6)}});
  reader_.OpenStandardArchives();
  TCustomMemoryManager memory;

  const MpqTableFile whole =
      reader_.ReadTableFile(reader_.PatchArchive, "Units\\Whole.slk", memory);
  ASSERT_EQ(whole.Code, MpqOk);
  EXPECT_EQ(whole.Size, kBlock);
  SFMPQAPIMODULE::SFileCloseFile(whole.File);

  const MpqTableFile tooBig =
      reader_.ReadTableFile(reader_.PatchArchive, "Units\\TooBig.slk", memory);
  EXPECT_EQ(tooBig.Code, MpqNoMemory);
  EXPECT_EQ(tooBig.Bytes, nullptr);
  EXPECT_EQ(tooBig.File, nullptr);
  EXPECT_STREQ(reader_.ErrorFile, "Units\\TooBig.slk");
  EXPECT_EQ(reader_.ErrorCode, MpqNoMemory);

  const MpqTableFile small =
      reader_.ReadTableFile(reader_.PatchArchive, "Units\\Small.slk", memory);
  ASSERT_EQ(small.Code, MpqOk);
  EXPECT_EQ(Bytes(small.Bytes, small.Bytes + small.Size), PatternBytes(10, 6));
  SFMPQAPIMODULE::SFileCloseFile(small.File);
}

// --- Profile text files -------------------------------------------------------------------------

TEST_F(MpqReaderTest, TextFileIsDeliveredToTheProfileConsumer) {
  const std::string text =
      "\xEF\xBB\xBF[hfoo]\r\n"
      "Name=Footman\r\n"
      "Art=ReplaceableTextures\\CommandButtons\\BTNFootman.blp\r\n"
      "// a comment\r\n"
      "[Hpal]\n"
      "Name=Paladin";
  WriteStandardArchives();
  WriteArchive("war3Patch.mpq", {{"Units\\HumanUnitStrings.txt", TextBytes(text)}});
  reader_.OpenStandardArchives();

  RecordingConsumer consumer;
  EXPECT_EQ(reader_.ReadTextFile(reader_.PatchArchive, "Units\\HumanUnitStrings.txt", consumer),
            MpqOk);
  EXPECT_EQ(consumer.events,
            (std::vector<std::string>{"[hfoo]", "Name=Footman",
                                      "Art=ReplaceableTextures\\CommandButtons\\BTNFootman.blp",
                                      "[Hpal]", "Name=Paladin"}));
}

TEST_F(MpqReaderTest, MissingTextFileRecordsItsNameAndCode) {
  WriteStandardArchives({{"Units\\HumanUnitStrings.txt", TextBytes("[hfoo]\n")}});
  reader_.OpenStandardArchives();
  RecordingConsumer consumer;
  EXPECT_EQ(reader_.ReadTextFile(reader_.PatchArchive, "Units\\HumanUnitFunc.txt", consumer),
            MpqFileMissing);
  EXPECT_EQ(reader_.ErrorCode, 4098);
  EXPECT_STREQ(reader_.ErrorFile, "Units\\HumanUnitFunc.txt");
  EXPECT_TRUE(consumer.events.empty());

  // A later success does not clear the failure.
  EXPECT_EQ(reader_.ReadTextFile(reader_.PatchArchive, "Units\\HumanUnitStrings.txt", consumer),
            MpqOk);
  EXPECT_EQ(reader_.ErrorCode, 4098);
  EXPECT_STREQ(reader_.ErrorFile, "Units\\HumanUnitFunc.txt");
}

// --- The name of a failed file ------------------------------------------------------------------

TEST_F(MpqReaderTest, LongNamesAreCutTo99CharactersInErrorFile) {
  WriteStandardArchives();
  reader_.OpenStandardArchives();
  std::string name = "Units\\";
  while (name.size() < 150)
    name += static_cast<char>('a' + name.size() % 26);
  ASSERT_EQ(name.size(), 150u);

  TCustomMemoryManager memory;
  RecordingConsumer consumer;
  void* bitmap = nullptr;
  const std::vector<std::pair<const char*, std::function<int32_t()>>> reads = {
      {"ReadTableFile",
       [&] { return reader_.ReadTableFile(reader_.PatchArchive, name.c_str(), memory).Code; }},
      {"ReadTextFile",
       [&] { return reader_.ReadTextFile(reader_.PatchArchive, name.c_str(), consumer); }},
      {"ReadImage", [&] { return reader_.ReadImage(name.c_str(), &bitmap); }},
  };
  for (const auto& [operation, read] : reads) {
    SCOPED_TRACE(operation);
    std::memset(reader_.ErrorFile, 'x', sizeof reader_.ErrorFile);
    EXPECT_EQ(read(), MpqFileMissing);
    EXPECT_EQ(std::string(reader_.ErrorFile), name.substr(0, 99));
  }
}

// --- Images -------------------------------------------------------------------------------------

TEST_F(MpqReaderTest, ImagesAreLookedUpInMapBaseExpansionLocalThenPatch) {
  // Every archive's copy of an image has bytes of its own (its own pattern), so the buffer tells which
  // archive was used.
  enum Seed : uint8_t { kMap = 1, kBase, kExpansion, kLocal, kPatch };
  const auto image = [](const std::string& name, Seed seed) {
    return MpqMember{name, PatternBytes(700, seed)};
  };
  WriteMpq(dir_.File("map.w3x"), {image("Both.blp", kMap)});
  WriteArchive("war3.mpq", {image("BaseAndPatch.blp", kBase), image("NotMap.blp", kBase)});
  WriteArchive("war3x.mpq",
               {image("ExpansionLocal.blp", kExpansion), image("NotMap.blp", kExpansion)});
  WriteArchive("war3xlocal.mpq",
               {image("ExpansionLocal.blp", kLocal), image("LocalAndPatch.blp", kLocal)});
  WriteArchive("war3Patch.mpq", {image("Both.blp", kPatch), image("BaseAndPatch.blp", kPatch),
                                 image("LocalAndPatch.blp", kPatch), image("PatchOnly.blp", kPatch),
                                 image("NotMap.blp", kPatch)});
  reader_.OpenStandardArchives();
  OpenMap(dir_.File("map.w3x"));

  const std::vector<std::pair<std::string, Seed>> cases = {
      {"Both.blp", kMap},
      {"BaseAndPatch.blp", kBase},
      {"NotMap.blp", kBase},
      {"ExpansionLocal.blp", kExpansion},
      {"LocalAndPatch.blp", kLocal},
      {"PatchOnly.blp", kPatch},
  };
  for (const auto& [name, seed] : cases) {
    SCOPED_TRACE(name);
    void* bitmap = nullptr;
    ASSERT_EQ(reader_.ReadImage(name.c_str(), &bitmap), MpqOk);
    EXPECT_EQ(ImageBufferBytes(reader_, 700), PatternBytes(700, seed));
  }
}

TEST_F(MpqReaderTest, ImageGoesToTheDecoderWithTheRestOfTheBufferZeroed) {
  WriteStandardArchives();
  WriteArchive("war3.mpq", {{"Textures\\Large.blp", PatternBytes(5000, 7)},
                            {"Textures\\Small.blp", PatternBytes(300, 8)}});
  reader_.OpenStandardArchives();
  void* bitmap = nullptr;

  // Without a decoder the image is read all the same, and there is no bitmap.
  ASSERT_EQ(reader_.ReadImage("Textures\\Large.blp", &bitmap), MpqOk);
  EXPECT_EQ(bitmap, nullptr);
  EXPECT_EQ(ImageBufferBytes(reader_, 5000), PatternBytes(5000, 7));

  reader_.ParseBlpData = &RecordingDecoder;
  ASSERT_EQ(reader_.ReadImage("Textures\\Small.blp", &bitmap), MpqOk);
  EXPECT_EQ(bitmap, &gBitmapMarker);
  EXPECT_EQ(gDecoderCall.calls, 1);
  EXPECT_EQ(gDecoderCall.data, reader_.ImageBuffer.get());
  EXPECT_EQ(ImageBufferBytes(reader_, 300), PatternBytes(300, 8));
  EXPECT_TRUE(AllZero(reader_.ImageBuffer.get() + 300, kImageBufferSize - 300));
}

TEST_F(MpqReaderTest, MissingImageRecordsItsNameOnly) {
  WriteStandardArchives();
  reader_.OpenStandardArchives();
  reader_.ParseBlpData = &RecordingDecoder;
  reader_.ErrorCode = MpqShortRead;
  void* bitmap = &gBitmapMarker;
  EXPECT_EQ(reader_.ReadImage("ReplaceableTextures\\CommandButtons\\BTNNone.blp", &bitmap),
            MpqFileMissing);
  EXPECT_EQ(bitmap, nullptr);
  EXPECT_STREQ(reader_.ErrorFile, "ReplaceableTextures\\CommandButtons\\BTNNone.blp");
  EXPECT_EQ(reader_.ErrorCode, MpqShortRead);
  EXPECT_EQ(gDecoderCall.calls, 0);
}

// The buffer holds 524,288 bytes: an image of that size is read whole; a larger one is logged,
// read no further than the buffer, and refused.
TEST_F(MpqReaderTest, ImageSizeLimitIsTheBufferSize) {
  const std::string fits = "Textures\\Fits.blp";
  const std::string tooBig = "Textures\\TooBig.blp";
  WriteStandardArchives();
  WriteArchive("war3Patch.mpq", {{fits, PatternBytes(kImageBufferSize, 9)},
                                 {tooBig, PatternBytes(kImageBufferSize + 1, 10)}});
  reader_.OpenStandardArchives();
  reader_.ParseBlpData = &RecordingDecoder;
  void* bitmap = nullptr;

  EXPECT_EQ(reader_.ReadImage(fits.c_str(), &bitmap), MpqOk);
  EXPECT_EQ(bitmap, &gBitmapMarker);
  EXPECT_EQ(ImageBufferBytes(reader_, kImageBufferSize), PatternBytes(kImageBufferSize, 9));
  EXPECT_TRUE(Messages().empty());

  EXPECT_EQ(reader_.ReadImage(tooBig.c_str(), &bitmap), MpqShortRead);
  EXPECT_EQ(bitmap, nullptr);
  EXPECT_EQ(gDecoderCall.calls, 1);
  EXPECT_STREQ(reader_.ErrorFile, tooBig.c_str());
  EXPECT_EQ(Messages(), std::vector<std::string>{"Too big image: " + tooBig + ".\n"});
  // What was read is the start of the file, and no more.
  EXPECT_EQ(ImageBufferBytes(reader_, kImageBufferSize), PatternBytes(kImageBufferSize, 10));
}

// --- Real archives ------------------------------------------------------------------------------

TEST_F(MpqReaderTest, CorpusArchiveNamesKeepTheirBackslashes) {
  const std::string corpus = testsupport::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus folder (../shared/corpus): real archives not read";
  OpenMap(corpus + "/gowarcraft3/test.mpq");
  TCustomMemoryManager memory;
  for (const char* name : {"hello.txt", "sub\\WORLD.txt"}) {
    SCOPED_TRACE(name);
    const MpqTableFile table = reader_.ReadTableFile(reader_.MapArchive, name, memory);
    ASSERT_EQ(table.Code, MpqOk);
    EXPECT_EQ(table.Size, 6u);  // both sizes as an independent lister reports them
    SFMPQAPIMODULE::SFileCloseFile(table.File);
  }
}

TEST_F(MpqReaderTest, CorpusMapMembersReadByteForByte) {
  const std::string corpus = testsupport::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus folder (../shared/corpus): real archives not read";
  const std::string extracted = corpus + "/wc3libs/Forest_Defense_0.18w.extracted/";
  OpenMap(corpus + "/wc3libs/Forest_Defense_0.18w.w3x");

  TCustomMemoryManager memory;
  for (const char* name : {"war3map.w3u", "war3map.w3t", "war3map.w3i", "war3mapMap.blp"}) {
    SCOPED_TRACE(name);
    const Bytes expected = testsupport::ReadFile(extracted + name);
    ASSERT_FALSE(expected.empty());
    const MpqTableFile table = reader_.ReadTableFile(reader_.MapArchive, name, memory);
    ASSERT_EQ(table.Code, MpqOk);
    EXPECT_EQ(Bytes(table.Bytes, table.Bytes + table.Size), expected);
    SFMPQAPIMODULE::SFileCloseFile(table.File);
  }

  // The minimap is an image: the map archive is searched first, and the buffer after it is zero.
  const Bytes minimap = testsupport::ReadFile(extracted + "war3mapMap.blp");
  void* bitmap = nullptr;
  ASSERT_EQ(reader_.ReadImage("war3mapMap.blp", &bitmap), MpqOk);
  EXPECT_EQ(ImageBufferBytes(reader_, minimap.size()), minimap);
  EXPECT_TRUE(
      AllZero(reader_.ImageBuffer.get() + minimap.size(), kImageBufferSize - minimap.size()));
}

}  // namespace
