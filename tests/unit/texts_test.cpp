// Game time arithmetic and the texts of leave and chat entries.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "game_time.h"
#include "replay_parser.h"
#include "support/game_builder.h"

namespace {

std::string Text(const GameTime& time) {
  char text[48];
  vantrel::FormatGameTime(time, text, sizeof text);
  return text;
}

TEST(GameTime, AddsWithCarries) {
  const struct {
    GameTime start;
    std::initializer_list<uint32_t> increments;
    const char* expected;
  } cases[] = {
      {{0, 0, 59, 0}, {600, 500}, "0:01:00.100"}, {{0, 0, 0, 0}, {250}, "0:00:00.250"},
      {{0, 59, 59, 999}, {1}, "1:00:00.000"},     {{2, 3, 4, 5}, {65535}, "2:04:09.540"},
      {{0, 0, 0, 0}, {}, "0:00:00.000"},
  };
  for (const auto& c : cases) {
    GameTime time = c.start;
    for (uint32_t increment : c.increments)
      vantrel::AddMilliseconds(time, increment);
    EXPECT_EQ(Text(time), c.expected);
  }
}

TEST(GameTime, ManySmallIncrementsStayNormalised) {
  GameTime time{0, 0, 0, 0};
  for (int i = 0; i < 36000; ++i)
    vantrel::AddMilliseconds(time, 250);  // 2.5 hours
  EXPECT_EQ(Text(time), "2:30:00.000");
}

class EntryTexts : public testing::Test {
 protected:
  void SetUp() override {
    // A parse makes `info_` the record whose players name the entries.
    ParserData request{};
    request.GeneralInfo = &info_;
    parser_.ParseReplay(&request, "/nonexistent/replay.w3g");
    players_[0].PlayerID = 1;
    players_[0].PlayerName = name1_;
    players_[0].Next = &players_[1];
    players_[1].PlayerID = 3;
    players_[1].PlayerName = name3_;
    info_.Players = players_;
    info_.PlayerCount = 2;
  }

  std::string Translate(const ActionRecord& action) {
    char* text = nullptr;
    if (parser_.TranslateDataMessage(&action, &text) != 1) return "(no text)";
    return text;
  }

  vantrel::ReplayParser parser_;
  GeneralInfo info_{};
  PlayerRecord players_[2]{};
  char name1_[8] = "Alder";
  char name3_[32] = "Имя игрока";
};

TEST_F(EntryTexts, LeaveAndChatTexts) {
  LeaveData leave{12, 8, 3};
  char hello[] = "gl hf";
  ChatData toAllies{1, hello};
  ChatData whisper{5, hello};
  ChatData toObservers{2, hello};
  const struct {
    ActionRecord action;
    const char* expected;
  } cases[] = {
      {{3, {0, 12, 3, 40}, VANTREL_KIND_LEAVE, 0, &leave, nullptr, nullptr},
       "0:12:03.040 Имя игрока      0 Leave game (Connection closed by LOCAL game), Result=8, "
       "Unknown=3"},
      {{1, {0, 0, 5, 0}, VANTREL_KIND_CHAT, 0, &toAllies, nullptr, nullptr},
       "0:00:05.000 Alder           0 Chat (to allies): 'gl hf'."},
      {{1, {0, 0, 5, 0}, VANTREL_KIND_CHAT, 0, &toObservers, nullptr, nullptr},
       "0:00:05.000 Alder           0 Chat (to obs): 'gl hf'."},
      {{9, {1, 0, 0, 0}, VANTREL_KIND_CHAT, 0, &whisper, nullptr, nullptr},
       "1:00:00.000 Unknown player  0 Chat (to specific player): 'gl hf'."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Translate(c.action), c.expected);
}

TEST_F(EntryTexts, TextsLiveInThePool) {
  char hello[] = "hi";
  ChatData chat{0, hello};
  ActionRecord action{1, {0, 0, 0, 0}, VANTREL_KIND_CHAT, 0, &chat, nullptr, nullptr};
  char* text = nullptr;
  ASSERT_EQ(parser_.TranslateDataMessage(&action, &text), 1);
  const auto* base = parser_.pool().Blocks->Base;
  EXPECT_GE(reinterpret_cast<const uint8_t*>(text), base);
  EXPECT_LT(reinterpret_cast<const uint8_t*>(text), base + TCustomMemoryManager::kMemoryBlockSize);
}

TEST_F(EntryTexts, EntriesWithoutTextGiveNone) {
  ActionRecord noData{1, {}, VANTREL_KIND_CHAT, 0, nullptr, nullptr, nullptr};
  LeaveData leave{1, 1, 1};
  ActionRecord otherKind{1, {}, 40, 0, &leave, nullptr, nullptr};
  char* text = nullptr;
  EXPECT_EQ(parser_.TranslateDataMessage(&noData, &text), 0);
  EXPECT_EQ(parser_.TranslateDataMessage(&otherKind, &text), 0);
  EXPECT_EQ(parser_.TranslateDataMessage(nullptr, &text), 0);
  EXPECT_EQ(parser_.TranslateDataMessage(&otherKind, nullptr), 0);
  EXPECT_EQ(text, nullptr);
}

TEST_F(EntryTexts, CoordinatesAreWrittenAsPrintfWritesThem) {
  // Ties of the exact value go to the even digit; a value just below a tie in binary goes down;
  // negative values that round to zero keep their sign; huge values and non-numbers are whole.
  const struct {
    float x, y;
    const char* expected;
  } cases[] = {
      {0.125f, 0.375f, "X=0.12, Y=0.38"},
      {2.675f, 0.045f, "X=2.67, Y=0.05"},
      {-0.0f, -0.004f, "X=-0.00, Y=-0.00"},
      {0.005f, 1.005f, "X=0.00, Y=1.00"},
      {-5888.0f, 16777217.0f, "X=-5888.00, Y=16777216.00"},
      {1e15f, 1e20f, "X=999999986991104.00, Y=100000002004087734272.00"},
      {-3.4e38f, 1e-45f, "X=-339999995214436424907732413799364296704.00, Y=0.00"},
      {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
       "X=inf, Y=-inf"},
      {std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN(),
       "X=nan, Y=-nan"},
  };
  for (const auto& c : cases) {
    MinimapSignalData signal{c.x, c.y, 0};
    CommandData command{0x68, &signal};
    ActionRecord action{1, {0, 0, 1, 0}, VANTREL_KIND_COMMAND, 1, &command, nullptr, nullptr};
    EXPECT_EQ(Translate(action), std::string("0:00:01.000 Alder           1 Minimap signal: ") +
                                     c.expected + ". Unknown data: 0.");
  }
}

TEST_F(EntryTexts, ATextIsCutAt8191Bytes) {
  std::string said(9000, 'a');
  for (size_t i = 0; i < said.size(); i += 7)
    said[i] = static_cast<char>('0' + i % 10);
  ChatData chat{0, said.data()};
  ActionRecord action{1, {0, 0, 5, 0}, VANTREL_KIND_CHAT, 0, &chat, nullptr, nullptr};
  const std::string whole = "0:00:05.000 Alder           0 Chat (to all): '" + said + "'.";
  EXPECT_EQ(Translate(action), whole.substr(0, 8191));
}

TEST(EntryTextList, HoldsWhatEachEntryTranslatesTo) {
  // The list is made in one go for all entries; each text must be what the entry alone gives,
  // whatever the names (short, 15 characters, longer, not one byte per character), the players
  // and the times the entries share.
  testsupport::GameBuilder game;
  game.host = testsupport::PlayerEntry{1, "Alder", {0}};
  game.players = {testsupport::PlayerEntry{2, "ExactlyFifteen!", {0}},
                  testsupport::PlayerEntry{3, "Имя игрока", {0}},
                  testsupport::PlayerEntry{4, "A name longer than the column", {0}}};
  for (uint8_t player = 1; player <= 5; ++player) {
    game.TimeSlot(100, {{player, {0x61}}, {player, {0x18, 1, 0}}, {player, {0x66}}});
    game.Chat(player, 0, "gl hf");
    game.TimeSlot(1000 + player,
                  {{player, {0x68, 0, 0, 0xC0, 0x3F, 0, 0, 0x80, 0xBF, 7, 0, 0, 0}}});
  }
  game.Leave(12, 2, 9);
  const testsupport::Bytes data = game.Build();
  vantrel::ReplayParser parser;
  GeneralInfo info{};
  CompressedDataParams params{};
  params.Data = data.data();
  params.DataSize = static_cast<uint32_t>(data.size());
  params.GeneralInfo = &info;
  params.TranslateTexts = 1;
  ASSERT_EQ(parser.ParseCompressedData(&params), 0);

  std::vector<std::string> alone;
  for (const ActionRecord* action = info.Actions; action != nullptr; action = action->Next) {
    char* text = nullptr;
    if (parser.TranslateDataMessage(action, &text) == 1) alone.emplace_back(text);
  }
  std::vector<std::string> listed;
  for (const TextNode* node = info.Texts; node != nullptr; node = node->Next)
    listed.emplace_back(node->Text);
  ASSERT_EQ(listed.size(), 5u * 5 + 1);
  EXPECT_EQ(listed, alone);
  EXPECT_EQ(listed[1],
            "0:00:00.100 Alder           1 Select group hotkey. Group number: 2, "
            "Unknown byte: 0");
  EXPECT_EQ(listed[19],
            "0:00:04.410 A name longer than the column 0 Minimap signal: X=1.50, "
            "Y=-1.00. Unknown data: 7.");
}

TEST(PlayerNames, FoundByIdOrUnknown) {
  PlayerRecord players[2]{};
  char a[] = "A", b[] = "B";
  players[0] = PlayerRecord{};
  players[0].PlayerID = 2;
  players[0].PlayerName = a;
  players[0].Next = &players[1];
  players[1].PlayerID = 4;
  players[1].PlayerName = b;
  GeneralInfo info{};
  info.Players = players;
  EXPECT_STREQ(vantrel::PlayerName(&info, 4), "B");
  EXPECT_STREQ(vantrel::PlayerName(&info, 2), "A");
  EXPECT_STREQ(vantrel::PlayerName(&info, 3), "Unknown player");
  EXPECT_STREQ(vantrel::PlayerName(&info, 2 + 256), "Unknown player");
  EXPECT_STREQ(vantrel::PlayerName(nullptr, 2), "Unknown player");
}

}  // namespace
