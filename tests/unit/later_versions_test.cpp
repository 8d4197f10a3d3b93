// Replays of versions after 1.26: the layout differences of each family, written by the replay
// writer, and the version texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gamedata/replay_format.h"
#include "replay_parser.h"
#include "support/game_builder.h"
#include "support/replay_writer.h"
#include "support/temp_dir.h"

using namespace testsupport;

namespace {

TEST(VersionText, OfEveryNumbering) {
  const struct {
    uint32_t field;
    const char* text;
  } cases[] = {{2, "1.02"},     {18, "1.18"},    {26, "1.26"},   {30, "1.30"},     {10030, "1.30"},
               {10032, "1.32"}, {10036, "1.36"}, {10100, "2.0"}, {544175136, "?"}, {5000, "?"}};
  for (const auto& c : cases)
    EXPECT_EQ(vantrel::VersionText(c.field), c.text) << c.field;
}

TEST(ReplayFormat, FamiliesByVersionAndBuild) {
  const struct {
    uint32_t field;
    uint16_t build;
    bool classic, reforged;
  } cases[] = {{26, 6059, true, false},        {28, 6059, false, false},
               {10031, 6072, false, false},    {10032, 6091, false, true},
               {10100, 6117, false, true},     {544175136, 6059, true, false},
               {544175136, 6105, false, true}, {544175136, 6072, false, false}};
  for (const auto& c : cases) {
    const vantrel::ReplayFormat format = vantrel::FormatOf(c.field, c.build);
    EXPECT_EQ(format.classic, c.classic) << c.field << " " << c.build;
    EXPECT_EQ(format.reforged, c.reforged) << c.field << " " << c.build;
  }
}

class LaterVersions : public testing::Test {
 protected:
  void SetUp() override {
    game_.host = PlayerEntry{1, "Alder#1234", {}};
    game_.players = {PlayerEntry{2, "Brisk#5678", {}}};
    game_.slots = {SlotEntry{1}, SlotEntry{2, 100, 2, 0, 1, 1}};
  }

  // Parses `game` as a replay of the given version; returns the texts of the entries.
  std::vector<std::string> Parse(uint32_t version, uint16_t build) {
    ReplayHeader header;
    header.gameVersion = version;
    header.buildNumber = build;
    header.wideBlocks = vantrel::FormatOf(version, build).reforged;
    const std::string path = dir_.Write("game.w3g", BuildReplay(game_.Build(), header, blockSize_));
    request_.GeneralInfo = &info_;
    request_.TranslateTexts = 1;
    EXPECT_TRUE(parser_.ParseReplay(&request_, path.c_str()));
    std::vector<std::string> texts;
    for (const TextNode* node = info_.Texts; node != nullptr; node = node->Next)
      texts.emplace_back(node->Text);
    return texts;
  }

  TempDir dir_;
  CurrentFolder inFolder_{dir_.path()};
  GameBuilder game_;
  size_t blockSize_ = 8192;
  vantrel::ReplayParser parser_;
  GeneralInfo info_{};
  ParserData request_{};
};

TEST_F(LaterVersions, From132BlocksHaveWideHeadersAndTheGameStartHasRecords) {
  game_.secondText = "hunter2";
  // Two records of the players' account data between the players and the slot table.
  game_.startRecords =
      ByteWriter().U8(0x39).U8(4).U32(3).Raw({1, 2, 3}).U8(0x39).U8(3).U32(0).bytes();
  game_.TimeSlot(250).Chat(2, 0, "gl");
  // Blocks of 1000 bytes: several wide block headers.
  for (int i = 0; i < 200; ++i)
    game_.TimeSlot(100);
  game_.Chat(1, 0, "gg");
  const auto texts = Parse(10032, 6105);
  EXPECT_EQ(info_.ErrorText, nullptr) << info_.ErrorText;
  EXPECT_STREQ(info_.GameName, "Game");
  ASSERT_EQ(info_.PlayerCount, 2);
  EXPECT_STREQ(info_.Players[1].PlayerName, "Brisk#5678");
  EXPECT_EQ(info_.SlotRecordCount, 2);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1], "0:00:20.250 Alder#1234      0 Chat (to all): 'gg'.");
}

TEST_F(LaterVersions, ClassicVersionsKeepTheSpecifiedLayout) {
  // The same records in a 1.26 game are no part of its layout: the slot table must follow.
  game_.startRecords = ByteWriter().U8(0x39).U8(4).U32(0).bytes();
  Parse(26, 6059);
  ASSERT_NE(info_.ErrorText, nullptr);
  EXPECT_STREQ(info_.ErrorText, "Error parsing GameStartRecord - 0x19");
}

TEST_F(LaterVersions, ActionsAddedAfterClassicAreSteppedOver) {
  // A later action first in the block, then Esc: the Esc is read only if the later action was
  // stepped over by its length.
  const auto block = [](uint8_t id, size_t length) {
    return ByteWriter().U8(id).Zeros(length).U8(0x61).bytes();
  };
  const Bytes sync =
      ByteWriter().U8(0x6B).Text("MMD.Dat").Text("val:1").Text("init").U32(7).U8(0x61).bytes();
  const struct {
    uint32_t version;
    uint16_t build;
    Bytes actions;
    bool escRead;
  } cases[] = {
      {26, 6059, block(0x7A, 20), false},  // classic: an unknown id ends the block
      {26, 6059, sync, false},
      {10031, 6072, block(0x7A, 20), true},  // 1.31
      {10032, 6105, block(0x7B, 16), true},  // 1.32 to 1.36
      {10034, 6114, block(0x78, 20), true},
      {10032, 6105, sync, true},
      {10100, 6117, block(0x7A, 16), true},  // 2.0 renumbers the ids above 0x77
      {10100, 6117, block(0x77, 20), true},
      {10100, 6117, block(0x79, 20), true},
      {10100, 6117, block(0x7B, 16), false},
  };
  for (const auto& c : cases) {
    game_.stream.clear();
    game_.TimeSlot(100, {{1, c.actions}});
    const auto texts = Parse(c.version, c.build);
    const bool escRead = !texts.empty() && texts.back().find("Esc pressed.") != std::string::npos;
    EXPECT_EQ(escRead, c.escRead) << c.version << " " << std::hex << int(c.actions[0]);
    EXPECT_EQ(info_.Players[0].ActionsTotal, c.escRead ? 1u : 0u) << c.version;
  }
}

TEST_F(LaterVersions, WrappedReplayIsFoundByItsSignature) {
  game_.Chat(1, 0, "inside");
  ReplayHeader header;
  header.gameVersion = 28;
  ByteWriter file;
  file.Text("GRBN", false).U32(0x1234).Zeros(300).Raw(BuildReplay(game_.Build(), header));
  const std::string path = dir_.Write("wrapped.w3g", file.bytes());
  request_.GeneralInfo = &info_;
  ASSERT_TRUE(parser_.ParseReplay(&request_, path.c_str()));
  EXPECT_EQ(info_.ErrorText, nullptr);
  EXPECT_EQ(info_.GameVersion, 28u);
  ASSERT_NE(info_.Actions, nullptr);
  // Without the replay inside, the wrapper is no replay.
  const std::string empty =
      dir_.Write("empty.w3g", ByteWriter().Text("GRBN", false).Zeros(100).bytes());
  EXPECT_FALSE(parser_.ParseReplay(&request_, empty.c_str()));
  EXPECT_EQ(info_.ErrorText, nullptr);
}

}  // namespace
