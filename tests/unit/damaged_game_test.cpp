// Damaged games: whatever the bytes of a decompressed game say, a parse ends cleanly (the
// sanitizer build checks that nothing is read outside the buffer) and a stop is explained.
#include <gtest/gtest.h>

#include <random>

#include "replay_parser.h"
#include "support/game_builder.h"
#include "support/temp_dir.h"

using namespace testsupport;

namespace {

Bytes RichGame() {
  GameBuilder game;
  game.host = PlayerEntry{1, "Alder", LadderExtra(7, 0x41)};
  game.players = {PlayerEntry{2, "Brisk", {0}}, PlayerEntry{3, "Игрок", {0}}};
  game.slots = {SlotEntry{1}, SlotEntry{2}, SlotEntry{3},
                SlotEntry{0, 100, 2, 1, 1, 3, 0x04, 2, 100}};
  ByteWriter actions;
  actions.U8(0x16)
      .U8(1)
      .U16(1)
      .U32(5)
      .U32(6)
      .U8(0x10)
      .U16(0x40)
      .Id("hpea")
      .U32(0xFFFFFFFF)
      .U32(0xFFFFFFFF);
  actions.U8(0x01).U8(0x60).U32(1).U32(2).Text("-ap").U8(0x02);
  for (int i = 0; i < 20; ++i) {
    game.TimeSlot(250, {{1, actions.bytes()}, {2, {0x61, 0x18, 1, 0}}});
    if (i % 5 == 0)
      game.Chat(static_cast<uint8_t>(1 + i % 3), static_cast<uint32_t>(i % 4), "message");
  }
  game.Leave(1, 2, 9).Leave(12, 1, 8);
  return game.Build();
}

TEST(DamagedGame, RandomByteChangesEndCleanly) {
  TempDir dir;
  CurrentFolder inFolder(dir.path());
  const Bytes original = RichGame();
  std::mt19937 random(20261211);
  vantrel::ReplayParser parser;
  for (int round = 0; round < 20000; ++round) {
    Bytes game = original;
    const int changes = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < changes; ++i) {
      const size_t at = random() % game.size();
      switch (random() % 3) {
        case 0:
          game[at] = static_cast<uint8_t>(random());
          break;
        case 1:
          game[at] = 0xFF;
          break;
        default:
          game.resize(at);  // cut short
          break;
      }
      if (game.empty()) break;
    }
    GeneralInfo info{};
    CompressedDataParams params{};
    params.Data = game.data();
    params.DataSize = static_cast<uint32_t>(game.size());
    params.GeneralInfo = &info;
    params.TranslateTexts = 1;
    params.WriteDebugFile = round % 1000 == 0 ? 1 : 0;
    params.ParseMode = round % 7 == 0 ? VANTREL_PARSE_GAME_START : VANTREL_PARSE_FULL;
    const int32_t result = parser.ParseCompressedData(&params);
    ASSERT_TRUE(result == 0 || result == 1) << round;
    // A stop at an error says why.
    if (result == 1) {
      ASSERT_NE(info.ErrorText, nullptr) << round;
    }
    // Whatever was read is consistent: the lists end and link back.
    const ActionRecord* previous = nullptr;
    size_t entries = 0;
    for (const ActionRecord* entry = info.Actions; entry != nullptr; entry = entry->Next) {
      ASSERT_EQ(entry->Previous, previous);
      ASSERT_LT(++entries, game.size());
      previous = entry;
    }
  }
}

}  // namespace
