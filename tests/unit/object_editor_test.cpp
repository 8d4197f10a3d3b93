// Object-editor files: the tables of modified and added objects, with and without level fields,
// and files that stop making sense part way.
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gamedata/log.h"
#include "gamedata/object_editor.h"
#include "support/byte_writer.h"
#include "support/temp_dir.h"

namespace {

using testsupport::LogMessages;

using testsupport::Bytes;
using testsupport::ByteWriter;

// One modification as a file holds it.
struct Mod {
  std::string id;
  uint32_t type = 0;
  uint32_t bits = 0;  // value of types 0 to 2
  Bytes text;         // value of type 3, without its zero
  uint32_t level = 0;
  uint32_t column = 0;
};

struct Object {
  std::string baseId;
  std::string newId;  // four zeros when empty
  std::vector<Mod> mods;
};

Mod IntegerMod(const std::string& id, uint32_t value) {
  return Mod{id, 0, value, {}, 0, 0};
}
Mod StringMod(const std::string& id, const std::string& text) {
  return Mod{id, 3, 0, Bytes(text.begin(), text.end()), 0, 0};
}

void WriteId(ByteWriter& out, const std::string& id) {
  if (id.empty()) {
    out.Zeros(4);
  } else {
    out.Text(id, false);
  }
}

void WriteMod(ByteWriter& out, const Mod& mod, bool levelFields) {
  WriteId(out, mod.id);
  out.U32(mod.type);
  if (levelFields) out.U32(mod.level).U32(mod.column);
  if (mod.type == 3) {
    out.Raw(mod.text).U8(0);
  } else {
    out.U32(mod.bits);
  }
  out.Text("END!", false);  // end marker: any four bytes
}

void WriteObjects(ByteWriter& out, const std::vector<Object>& objects, bool levelFields) {
  out.U32(static_cast<uint32_t>(objects.size()));
  for (const Object& object : objects) {
    WriteId(out, object.baseId);
    WriteId(out, object.newId);
    out.U32(static_cast<uint32_t>(object.mods.size()));
    for (const Mod& mod : object.mods)
      WriteMod(out, mod, levelFields);
  }
}

Bytes EditorFile(uint32_t version, const std::vector<Object>& modified,
                 const std::vector<Object>& added, bool levelFields) {
  ByteWriter out;
  out.U32(version);
  WriteObjects(out, modified, levelFields);
  WriteObjects(out, added, levelFields);
  return out.bytes();
}

std::string Id(const char (&id)[4]) {
  return std::string(id, 4);
}

class ObjectEditorTest : public testing::Test {
 protected:
  void SetUp() override {
    logPath_ = dir_.File("quorvel.log");
    log_ = std::make_unique<CLog>(logPath_.c_str());
    editor_ = std::make_unique<TObjectEditorData>(log_.get());
  }
  void TearDown() override { editor_.reset(); }

  // Parses a copy of exactly `bytes`, so that a read past their end shows under the sanitizers.
  bool Parse(const Bytes& bytes, bool noLevelFields) {
    copy_ = std::make_unique<uint8_t[]>(bytes.size());
    if (!bytes.empty()) std::memcpy(copy_.get(), bytes.data(), bytes.size());
    return editor_->Parse(copy_.get(), bytes.size(), noLevelFields);
  }

  std::vector<std::string> Messages() const { return LogMessages(logPath_); }

  size_t BlockCount() const {
    size_t count = 0;
    for (const MemoryBlock* block = editor_->Memory.Blocks; block != nullptr; block = block->Next)
      ++count;
    return count;
  }

  testsupport::TempDir dir_;
  std::string logPath_;
  std::unique_ptr<CLog> log_;
  std::unique_ptr<TObjectEditorData> editor_;
  std::unique_ptr<uint8_t[]> copy_;
};

TEST_F(ObjectEditorTest, CreationAndDestructionAreLogged) {
  editor_.reset();
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Object editor: created.\n", "Object editor: destroyed.\n"}));
}

// The same objects in a file with and in one without level fields.
TEST_F(ObjectEditorTest, TablesAreReadWithAndWithoutLevelFields) {
  Mod level = IntegerMod("ahp1", 5);
  level.level = 3;
  level.column = 2;
  const std::vector<Object> modified = {
      {"hfoo",
       "",
       {IntegerMod("uhpm", 420), Mod{"umvs", 1, std::bit_cast<uint32_t>(2.5f), {}, 0, 0},
        Mod{"usca", 2, std::bit_cast<uint32_t>(0.75f), {}, 0, 0}, StringMod("unam", "Captain"),
        level}},
      {"hkni", "", {}},
  };
  const std::vector<Object> added = {{"hpea", "h000", {StringMod("unam", "Worker")}}};

  for (const bool levelFields : {false, true}) {
    SCOPED_TRACE(levelFields ? "with level fields" : "without level fields");
    ASSERT_TRUE(Parse(EditorFile(2, modified, added, levelFields), !levelFields));
    EXPECT_EQ(editor_->Version, 2u);

    const ObjectEditorTable& changed = editor_->ModifiedObjects;
    ASSERT_EQ(changed.ObjectCount, 2u);
    const ObjectEditorObject& footman = changed.Objects[0];
    EXPECT_EQ(Id(footman.BaseId), "hfoo");
    EXPECT_EQ(Id(footman.NewId), std::string(4, '\0'));
    ASSERT_EQ(footman.ModCount, 5u);
    const ObjectMod* mods = footman.Mods;
    EXPECT_EQ(Id(mods[0].ModId), "uhpm");
    EXPECT_EQ(mods[0].VarType, kObjectModInteger);
    EXPECT_EQ(mods[0].ModValue.Bits, 420u);
    EXPECT_EQ(mods[1].VarType, kObjectModReal);
    EXPECT_EQ(std::bit_cast<float>(mods[1].ModValue.Bits), 2.5f);
    EXPECT_EQ(mods[2].VarType, kObjectModUnreal);
    EXPECT_EQ(std::bit_cast<float>(mods[2].ModValue.Bits), 0.75f);
    EXPECT_EQ(Id(mods[3].ModId), "unam");
    EXPECT_EQ(mods[3].VarType, kObjectModString);
    EXPECT_STREQ(mods[3].ModValue.Text, "Captain");
    EXPECT_EQ(mods[4].ModValue.Bits, 5u);
    EXPECT_EQ(mods[4].Level, levelFields ? 3u : 0u);
    EXPECT_EQ(mods[4].DataColumn, levelFields ? 2u : 0u);
    EXPECT_EQ(Id(changed.Objects[1].BaseId), "hkni");
    EXPECT_EQ(changed.Objects[1].ModCount, 0u);

    ASSERT_EQ(editor_->AddedObjects.ObjectCount, 1u);
    const ObjectEditorObject& worker = editor_->AddedObjects.Objects[0];
    EXPECT_EQ(Id(worker.BaseId), "hpea");
    EXPECT_EQ(Id(worker.NewId), "h000");
    ASSERT_EQ(worker.ModCount, 1u);
    EXPECT_STREQ(worker.Mods[0].ModValue.Text, "Worker");
    editor_->Free();
  }
}

TEST_F(ObjectEditorTest, ParseAndFreeAreLogged) {
  ASSERT_TRUE(Parse(EditorFile(1, {}, {}, false), true));
  EXPECT_EQ(editor_->ModifiedObjects.ObjectCount, 0u);
  EXPECT_EQ(editor_->AddedObjects.ObjectCount, 0u);
  editor_->Free();
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "Object editor: created.\n", "Object editor: data parsing start.\n",
                            "Object editor: data parsing end.\n", "Object editor: free data.\n"}));
}

TEST_F(ObjectEditorTest, FreeEmptiesTheTablesAndGivesTheMemoryBack) {
  ASSERT_TRUE(Parse(EditorFile(1, {{"hfoo", "", {StringMod("unam", "A")}}}, {}, false), true));
  ASSERT_NE(editor_->Memory.Blocks, nullptr);
  editor_->Free();
  EXPECT_EQ(editor_->Memory.Blocks, nullptr);
  EXPECT_EQ(editor_->ModifiedObjects.ObjectCount, 0u);
  EXPECT_EQ(editor_->ModifiedObjects.Objects, nullptr);
}

TEST_F(ObjectEditorTest, NoDataIsAFailedParse) {
  const uint8_t byte = 1;
  ASSERT_TRUE(Parse(EditorFile(1, {{"hfoo", "", {}}}, {}, false), true));
  for (const auto& [data, size] : {std::pair<const uint8_t*, size_t>{nullptr, 8}, {&byte, 0}}) {
    EXPECT_FALSE(editor_->Parse(data, size, true));
    // The tables of the earlier parse are gone.
    EXPECT_EQ(editor_->ModifiedObjects.ObjectCount, 0u);
  }
  const std::vector<std::string> messages = Messages();
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages[messages.size() - 2], "Object editor: data parsing start.\n");
  EXPECT_EQ(messages.back(), "Object editor: data parsing end.\n");
}

// Texts are the names of the catalogue: converted the same way as the profile texts' values.
TEST_F(ObjectEditorTest, StringValuesBecomeUtf8Texts) {
  const std::string cyrillicUtf8 = "\xD0\x9F\xD1\x80\xD0\xB8";  // "При"
  const struct {
    const char* name;
    std::string stored;
    std::string expected;
  } cases[] = {
      {"ascii", "Footman", "Footman"},
      {"utf-8 kept", cyrillicUtf8, cyrillicUtf8},
      {"windows-1251 converted", "\xCF\xF0\xE8", cyrillicUtf8},
      {"trailing blanks dropped", "Name \r\n", "Name"},
      {"empty", "", ""},
      {"cut at 1023 bytes", std::string(1500, 'x'), std::string(1023, 'x')},
      // 511 two-byte characters fill 1022 bytes; the 512th would straddle the cut.
      {"cut before a straddling character",
       [] {
         std::string s;
         for (int i = 0; i < 600; ++i)
           s += "\xD0\x96";
         return s;
       }(),
       [] {
         std::string s;
         for (int i = 0; i < 511; ++i)
           s += "\xD0\x96";
         return s;
       }()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = EditorFile(1, {{"hfoo", "", {StringMod("unam", c.stored)}}}, {}, false);
    ASSERT_TRUE(Parse(file, true));
    ASSERT_EQ(editor_->ModifiedObjects.ObjectCount, 1u);
    ASSERT_EQ(editor_->ModifiedObjects.Objects[0].ModCount, 1u);
    EXPECT_EQ(std::string(editor_->ModifiedObjects.Objects[0].Mods[0].ModValue.Text), c.expected);
    editor_->Free();
  }
}

TEST_F(ObjectEditorTest, UnknownTypeStopsTheFileKeepingWhatCameBefore) {
  Mod unknown = IntegerMod("uhpm", 1);
  unknown.type = 7;
  const Bytes file =
      EditorFile(1,
                 {{"hfoo", "", {IntegerMod("uhpm", 300), unknown, IntegerMod("udef", 2)}},
                  {"hkni", "", {IntegerMod("uhpm", 800)}}},
                 {{"hpea", "h000", {StringMod("unam", "Worker")}}}, false);
  EXPECT_FALSE(Parse(file, true));

  ASSERT_EQ(editor_->ModifiedObjects.ObjectCount, 1u);
  const ObjectEditorObject& footman = editor_->ModifiedObjects.Objects[0];
  EXPECT_EQ(Id(footman.BaseId), "hfoo");
  ASSERT_EQ(footman.ModCount, 1u);
  EXPECT_EQ(footman.Mods[0].ModValue.Bits, 300u);
  EXPECT_EQ(editor_->AddedObjects.ObjectCount, 0u);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Object editor: created.\n",
                                                  "Object editor: data parsing start.\n",
                                                  "Object editor: unknown variable type: 7.\n",
                                                  "Object editor: data parsing end.\n"}));
}

TEST_F(ObjectEditorTest, StringWithoutItsZeroEndsTheFile) {
  ByteWriter out;
  out.U32(1).U32(1).Text("hfoo", false).Zeros(4).U32(2);
  out.Text("uhpm", false).U32(0).U32(99).Text("END!", false);
  out.Text("unam", false).U32(3).Text("Never ends", false);
  EXPECT_FALSE(Parse(out.bytes(), true));
  ASSERT_EQ(editor_->ModifiedObjects.ObjectCount, 1u);
  ASSERT_EQ(editor_->ModifiedObjects.Objects[0].ModCount, 1u);
  EXPECT_EQ(editor_->ModifiedObjects.Objects[0].Mods[0].ModValue.Bits, 99u);
}

// Counts far beyond the file end the parse at the file's end, with no more memory than the
// file's bytes could justify: at most two blocks of the manager (objects and modifications)
// for a file of megabytes, one for a small file.
TEST_F(ObjectEditorTest, HostileCountsEndCleanly) {
  const auto withCounts = [](uint32_t objects, uint32_t mods, size_t padding) {
    ByteWriter out;
    out.U32(1).U32(objects).Text("hfoo", false).Zeros(4).U32(mods);
    out.Text("uhpm", false).U32(0).U32(7).Text("END!", false);
    out.Zeros(padding);
    return out.bytes();
  };
  const struct {
    const char* name;
    Bytes file;
    size_t blocks;
  } cases[] = {
      {"object count 0xFFFFFFFF", withCounts(0xFFFFFFFFu, 1, 0), 1},
      {"modification count 0xFFFFFFFF", withCounts(1, 0xFFFFFFFFu, 0), 1},
      {"both, with room for a few more", withCounts(0x7FFFFFFFu, 0x7FFFFFFFu, 100), 1},
      {"counts in a large file", withCounts(0xFFFFFFFFu, 0xFFFFFFFFu, 6u << 20), 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(Parse(c.file, true));
    EXPECT_LE(BlockCount(), c.blocks);
    // The first object and its first modification were there and are kept.
    ASSERT_GE(editor_->ModifiedObjects.ObjectCount, 1u);
    EXPECT_EQ(Id(editor_->ModifiedObjects.Objects[0].BaseId), "hfoo");
    ASSERT_GE(editor_->ModifiedObjects.Objects[0].ModCount, 1u);
    EXPECT_EQ(editor_->ModifiedObjects.Objects[0].Mods[0].ModValue.Bits, 7u);
    EXPECT_EQ(editor_->AddedObjects.ObjectCount, 0u);
    editor_->Free();
  }
}

// Every cut of a valid file ends cleanly: a failed parse whose tables hold at most the file's
// objects.
TEST_F(ObjectEditorTest, EveryPrefixEndsCleanly) {
  for (const bool levelFields : {false, true}) {
    SCOPED_TRACE(levelFields ? "with level fields" : "without level fields");
    const Bytes file = EditorFile(
        1, {{"hfoo", "", {IntegerMod("uhpm", 1), StringMod("unam", "Captain")}}, {"hkni", "", {}}},
        {{"hpea", "h000", {StringMod("unam", "Worker"), IntegerMod("ugol", 5)}}}, levelFields);
    ASSERT_TRUE(Parse(file, !levelFields));
    for (size_t size = 1; size < file.size(); ++size) {
      SCOPED_TRACE(size);
      EXPECT_FALSE(
          Parse(Bytes(file.begin(), file.begin() + static_cast<ptrdiff_t>(size)), !levelFields));
      EXPECT_LE(editor_->ModifiedObjects.ObjectCount, 2u);
      EXPECT_LE(editor_->AddedObjects.ObjectCount, 1u);
      for (uint32_t i = 0; i < editor_->ModifiedObjects.ObjectCount; ++i)
        EXPECT_LE(editor_->ModifiedObjects.Objects[i].ModCount, 2u);
      editor_->Free();
    }
  }
}

}  // namespace
