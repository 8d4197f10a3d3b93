#include "support/sample_replay.h"

#include "support/game_builder.h"
#include "support/replay_writer.h"

namespace testsupport {
namespace {

constexpr uint32_t kNoObject = 0xFFFFFFFF;

Bytes SelectOne(uint8_t mode, uint32_t object) {
  return ByteWriter().U8(0x16).U8(mode).U16(1).U32(object).U32(object + 1).bytes();
}

Bytes Train(const char* id) {
  return ByteWriter().U8(0x10).U16(0x0040).Id(id).U32(kNoObject).U32(kNoObject).bytes();
}

Bytes Build(const char* id, float x, float y) {
  return ByteWriter()
      .U8(0x11)
      .U16(0x0040)
      .Id(id)
      .U32(kNoObject)
      .U32(kNoObject)
      .F32(x)
      .F32(y)
      .bytes();
}

// Right click on the ground: order number 0x000D0003.
Bytes RightClick(float x, float y) {
  return ByteWriter()
      .U8(0x12)
      .U16(0x0040)
      .U32(0x000D0003)
      .U32(kNoObject)
      .U32(kNoObject)
      .F32(x)
      .F32(y)
      .U32(kNoObject)
      .U32(kNoObject)
      .bytes();
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace

Bytes SampleReplay() {
  GameBuilder game;
  game.host = PlayerEntry{1, "Alder", {0}};
  game.gameName = "Alder vs Brisk";
  game.creator = "Alder";
  game.players = {PlayerEntry{2, "Brisk", {0}}};
  game.slots = {
      SlotEntry{1, 100, 2, 0, 0, 0, 0x01, 1, 100}, SlotEntry{2, 100, 2, 0, 1, 1, 0x02, 1, 100},
      SlotEntry{0, 100, 1, 0, 0, 2, 0x20, 1, 100}, SlotEntry{0, 100, 1, 0, 0, 3, 0x20, 1, 100}};
  game.randomSeed = 0x5EED1234;

  game.Chat(1, 0, "gl hf").Chat(2, 0, "hf");
  uint32_t clock = 0;
  for (int slot = 0; slot < 480; ++slot) {
    std::vector<CommandBlock> commands;
    if (slot % 40 == 5) commands.push_back({1, Join({SelectOne(1, 0x3000 + slot), Train("hpea")})});
    if (slot % 40 == 25)
      commands.push_back({2, Join({SelectOne(1, 0x5000 + slot), Train("opeo")})});
    if (slot % 60 == 30) commands.push_back({1, Build("hbar", -1024.0f, 512.5f)});
    if (slot % 60 == 45) commands.push_back({2, RightClick(2048.0f, -256.0f)});
    game.TimeSlot(250, commands);
    clock += 250;
    if (slot == 200) game.Chat(2, 1, "push now");
  }
  game.Leave(1, 2, 9);
  game.Leave(12, 1, 8);

  ReplayHeader header;
  header.gameVersion = 26;
  header.buildNumber = 6059;
  header.replayLength = clock;
  return BuildReplay(game.Build(), header);
}

}  // namespace testsupport
