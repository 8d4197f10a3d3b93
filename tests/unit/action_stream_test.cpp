// The block stream of a game: clocks, pauses, leaves, chat, and where the walk ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "replay_parser.h"
#include "support/game_builder.h"
#include "support/replay_writer.h"
#include "support/temp_dir.h"

using namespace testsupport;

namespace {

constexpr uint8_t kPause = 0x01;
constexpr uint8_t kResume = 0x02;

class ActionStreamTest : public testing::Test {
 protected:
  void SetUp() override {
    game_.host = PlayerEntry{1, "Alder", {0}};
    game_.players = {PlayerEntry{3, "Brisk", {0}}};
    game_.slots = {SlotEntry{1}, SlotEntry{3}};
  }

  int32_t Parse(bool translate = false) {
    data_ = game_.Build();
    CompressedDataParams params{};
    params.Data = data_.data();
    params.DataSize = static_cast<uint32_t>(data_.size());
    params.GeneralInfo = &info_;
    params.TranslateTexts = translate ? 1 : 0;
    return parser_.ParseCompressedData(&params);
  }

  std::vector<const ActionRecord*> Entries() const {
    std::vector<const ActionRecord*> entries;
    const ActionRecord* previous = nullptr;
    for (const ActionRecord* entry = info_.Actions; entry != nullptr; entry = entry->Next) {
      EXPECT_EQ(entry->Previous, previous);
      entries.push_back(entry);
      previous = entry;
    }
    return entries;
  }

  static std::string Time(const ActionRecord* entry) {
    char text[48];
    std::snprintf(text, sizeof text, "%d:%.2d:%.2d.%.3d", entry->Time.Hours, entry->Time.Minutes,
                  entry->Time.Seconds, entry->Time.Milliseconds);
    return text;
  }
  static std::string ChatText(const ActionRecord* entry) {
    return static_cast<const ChatData*>(entry->Data)->Text;
  }

  TempDir dir_;
  CurrentFolder inFolder_{dir_.path()};
  vantrel::ReplayParser parser_;
  GameBuilder game_;
  GeneralInfo info_{};
  Bytes data_;
};

TEST_F(ActionStreamTest, StreamStartingWithZeroIsEmpty) {
  ASSERT_EQ(Parse(), 0);
  EXPECT_EQ(info_.Actions, nullptr);
  EXPECT_EQ(info_.ErrorText, nullptr);
}

TEST_F(ActionStreamTest, TimeSlotsAdvanceTheClock) {
  game_.TimeSlot(250).Chat(1, 0, "a");
  for (int i = 0; i < 235; ++i)
    game_.TimeSlot(250);  // to 0:00:59.000
  game_.TimeSlot(600).TimeSlot(500).Chat(3, 0, "b");
  ASSERT_EQ(Parse(), 0);
  const auto entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(Time(entries[0]), "0:00:00.250");
  EXPECT_EQ(Time(entries[1]), "0:01:00.100");
}

TEST_F(ActionStreamTest, PausedSlotsLeaveTheClockAndCountTowardsThePause) {
  game_.TimeSlot(1000, {{1, {kPause}}});
  game_.TimeSlot(400).TimeSlot(400).Chat(1, 0, "paused");
  game_.TimeSlot(300, {{3, {kResume}}}).Chat(1, 0, "resumed");
  game_.TimeSlot(100).Chat(1, 0, "later");
  ASSERT_EQ(Parse(), 0);
  std::vector<const ActionRecord*> entries;
  for (const ActionRecord* entry : Entries()) {
    if (entry->Kind == VANTREL_KIND_CHAT) entries.push_back(entry);
  }
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(Time(entries[0]), "0:00:01.000");
  // The slot that resumes is still read while paused: its increment goes to the pause clock.
  EXPECT_EQ(Time(entries[1]), "0:00:01.000");
  EXPECT_EQ(Time(entries[2]), "0:00:01.100");
}

TEST_F(ActionStreamTest, ChatEntriesKeepPlayerModeAndText) {
  game_.TimeSlot(500).Chat(3, 2, "to the observers").Chat(1, 5, "just you");
  ASSERT_EQ(Parse(true), 0);
  const auto entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0]->Kind, VANTREL_KIND_CHAT);
  EXPECT_EQ(entries[0]->PlayerID, 3);
  EXPECT_EQ(entries[0]->Counted, 0);
  EXPECT_EQ(static_cast<const ChatData*>(entries[0]->Data)->ChatMode, 2u);
  EXPECT_EQ(ChatText(entries[0]), "to the observers");
  ASSERT_NE(info_.Texts, nullptr);
  EXPECT_STREQ(info_.Texts->Text,
               "0:00:00.500 Brisk           0 Chat (to obs): 'to the observers'.");
  ASSERT_NE(info_.Texts->Next, nullptr);
  EXPECT_STREQ(info_.Texts->Next->Text,
               "0:00:00.500 Alder           0 Chat (to specific player): 'just you'.");
  EXPECT_EQ(info_.Texts->Next->Next, nullptr);
}

TEST_F(ActionStreamTest, ChatTextWithoutTerminatorEndsWithItsBlock) {
  ByteWriter chat;
  chat.U8(0x20).U8(1).U16(8).U8(0x20).U32(0).Text("abc", false);
  game_.RawStream(chat.bytes()).Chat(3, 0, "next");
  ASSERT_EQ(Parse(), 0);
  const auto entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(ChatText(entries[0]), "abc");
  EXPECT_EQ(ChatText(entries[1]), "next");
}

TEST_F(ActionStreamTest, LeaveSetsTimeInGameAndMakesAnEntry) {
  game_.TimeSlot(2500).Leave(1, 3, 9, 4).TimeSlot(500).Leave(12, 1, 8);
  ASSERT_EQ(Parse(true), 0);
  const auto entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0]->Kind, VANTREL_KIND_LEAVE);
  EXPECT_EQ(entries[0]->PlayerID, 3);
  const auto* leave = static_cast<const LeaveData*>(entries[0]->Data);
  EXPECT_EQ(leave->Reason, 1u);
  EXPECT_EQ(leave->Result, 9u);
  EXPECT_EQ(leave->Unknown, 4u);
  const PlayerRecord& brisk = info_.Players[1];
  EXPECT_EQ(brisk.PlayerID, 3);
  EXPECT_EQ(brisk.TimeInGame.Seconds, 2);
  EXPECT_EQ(brisk.TimeInGame.Milliseconds, 500);
  EXPECT_EQ(info_.Players[0].TimeInGame.Seconds, 3);
  EXPECT_STREQ(info_.Texts->Text,
               "0:00:02.500 Brisk           0 Leave game (Connection closed by REMOTE game), "
               "Result=9, Unknown=4");
}

TEST_F(ActionStreamTest, UnknownBlockEndsTheWalkAndKeepsWhatCameBefore) {
  game_.TimeSlot(100).Chat(1, 0, "one").TimeSlot(100).Chat(1, 0, "two").TimeSlot(100);
  game_.RawStream({0x23, 0x00, 0x00, 0x00, 0x00});
  game_.Chat(1, 0, "never read");
  ASSERT_EQ(Parse(), 0);
  EXPECT_EQ(info_.ErrorText, nullptr);
  EXPECT_FALSE(parser_.WalkReachedEnd());
  const auto entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(ChatText(entries[1]), "two");
}

TEST_F(ActionStreamTest, SkippedBlocksAreStepped) {
  game_.RawStream({0x1A, 1, 2, 3, 4, 0x1B, 1, 2, 3, 4, 0x1C, 1, 2, 3, 4});
  game_.RawStream({0x1E, 3, 0, 0x20, 0x20, 0x20});  // counted skip whose body looks like a chat id
  game_.RawStream({0x22, 2, 0x17, 0x17});
  game_.Chat(1, 0, "after the skips");
  ASSERT_EQ(Parse(), 0);
  EXPECT_TRUE(parser_.WalkReachedEnd());
  const auto entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(ChatText(entries[0]), "after the skips");
}

TEST_F(ActionStreamTest, BlockRunningPastTheDataEndsTheWalk) {
  game_.Chat(1, 0, "kept");
  game_.RawStream({0x1F, 0xFF, 0x7F, 0xFA, 0x00});  // a time slot of 32767 bytes
  ASSERT_EQ(Parse(), 0);
  EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(ActionStreamTest, CommandBlocksAreWalkedByTheirLengths) {
  // Commands of every length class, then a chat: the chat is found only if every action and
  // block was stepped over exactly.
  ByteWriter actions;
  actions.U8(0x10).U16(0x40).Id("hpea").U32(0xFFFFFFFF).U32(0xFFFFFFFF);
  actions.U8(0x16).U8(1).U16(2).U32(1).U32(2).U32(3).U32(4);
  actions.U8(0x06).Text("cheat");
  actions.U8(0x60).U32(1).U32(2).Text("-ar");
  actions.U8(0x14).Zeros(43);
  ByteWriter second;
  second.U8(0x21).Zeros(5);  // unknown: the rest of the block is skipped
  game_.TimeSlot(250, {{1, actions.bytes()}, {3, second.bytes()}}).Chat(1, 0, "found");
  ASSERT_EQ(Parse(), 0);
  const auto entries = Entries();
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(ChatText(entries.back()), "found");
  EXPECT_EQ(Time(entries.back()), "0:00:00.250");
}

TEST_F(ActionStreamTest, CompDataHoldsTheWalkedBytes) {
  game_.TimeSlot(100, {{1, {0x61}}}).Chat(1, 0, "x").Leave(1, 3, 9);
  ParserData request{};
  request.GeneralInfo = &info_;
  request.WriteCompData = 1;
  const std::string path = dir_.Write("game.w3g", BuildReplay(game_.Build()));
  ASSERT_TRUE(parser_.ParseReplay(&request, path.c_str()));
  EXPECT_EQ(ReadFile(dir_.File("CompData.dat")), game_.stream);
}

TEST_F(ActionStreamTest, ActionsOnlyModeWalksAgainOverTheSamePlayers) {
  game_.TimeSlot(100).Leave(1, 3, 9).Chat(1, 0, "x");
  data_ = game_.Build();
  CompressedDataParams params{};
  params.Data = data_.data();
  params.DataSize = static_cast<uint32_t>(data_.size());
  params.GeneralInfo = &info_;
  params.ParseMode = VANTREL_PARSE_GAME_START;
  ASSERT_EQ(parser_.ParseCompressedData(&params), 0);
  EXPECT_EQ(info_.Actions, nullptr);
  const PlayerRecord* players = info_.Players;
  params.ParseMode = VANTREL_PARSE_ACTIONS;
  ASSERT_EQ(parser_.ParseCompressedData(&params), 0);
  EXPECT_EQ(info_.Players, players);
  EXPECT_EQ(Entries().size(), 2u);
  EXPECT_EQ(info_.Players[1].TimeInGame.Milliseconds, 100);
  // Once more: the list is made anew, not appended to.
  ASSERT_EQ(parser_.ParseCompressedData(&params), 0);
  EXPECT_EQ(Entries().size(), 2u);
}

}  // namespace
