#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/byte_writer.h"

namespace testsupport {

// The encoded form of the settings string: groups of a mask byte and up to seven data bytes;
// an even byte is stored plus one with its mask bit clear, so no stored byte is zero.
Bytes EncodeString(const Bytes& decoded);

// One player entry of the game start record.
struct PlayerEntry {
  uint8_t id = 1;
  std::string name;
  Bytes extra = {0};  // custom games: one zero byte; ladder games: u32 value, u32 race flags
};

// The extra data of a ladder player: eight bytes, a value and the race flags.
Bytes LadderExtra(uint32_t value, uint32_t race);

// One slot of the slot table, nine bytes in this order.
struct SlotEntry {
  uint8_t playerId = 0;
  uint8_t downloadStatus = 100;
  uint8_t slotStatus = 2;  // 0 empty, 1 closed, 2 used
  uint8_t computer = 0;
  uint8_t team = 0;
  uint8_t color = 0;
  uint8_t race = 0x01;
  uint8_t aiStrength = 1;
  uint8_t handicap = 100;
};

// One command block of a time slot: a player's actions.
struct CommandBlock {
  uint8_t player = 1;
  Bytes actions;
};

// The decompressed data of a replay, written from its parts. Every field is public so that a
// test can set exactly what it is about and leave the rest plausible.
struct GameBuilder {
  uint32_t leadingValue = 0x110;  // the four bytes before the game start record
  PlayerEntry host{1, "Host", {0}};
  uint8_t hostRecordId = 0;
  std::string gameName = "Game";
  std::string secondText;  // the text after the game name: empty (one zero byte) before 1.32
  std::array<uint8_t, 13> settings = {0x02, 0x48, 0x06, 0x00, 0x00, 0x74, 0x00,
                                      0x74, 0x00, 0x78, 0x56, 0x34, 0x12};
  std::string mapPath = "Maps\\FrozenThrone\\(2)EchoIsles.w3x";
  std::string creator = "Host";
  uint32_t playerCountField = 2;
  uint8_t gameType = 9;
  uint8_t privateFlag = 0;
  uint16_t extraWord = 0;
  uint32_t extraDword = 0;
  std::vector<PlayerEntry> players;  // further players
  Bytes startRecords;  // what stands between the players and the slot table (1.32 and later)
  uint8_t startRecordId = 0x19;
  std::optional<uint16_t> sizeOfData;  // computed when unset
  std::vector<SlotEntry> slots;
  uint32_t randomSeed = 0x12345678;
  uint8_t selectMode = 0;
  uint8_t startSpots = 2;
  Bytes stream;  // the block stream after the game start record

  GameBuilder& TimeSlot(uint16_t increment, const std::vector<CommandBlock>& commands = {});
  GameBuilder& Chat(uint8_t player, uint32_t mode, std::string_view text, uint8_t flags = 0x20);
  GameBuilder& Leave(uint32_t reason, uint8_t player, uint32_t result, uint32_t unknown = 0);
  GameBuilder& RawStream(const Bytes& bytes);

  // The four leading bytes and the game start record.
  Bytes GameStart() const;
  // GameStart(), the block stream, then `trailingZeros` zero bytes.
  Bytes Build(size_t trailingZeros = 16) const;
};

}  // namespace testsupport
