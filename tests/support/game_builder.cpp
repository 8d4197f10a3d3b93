#include "support/game_builder.h"

namespace testsupport {
namespace {

void WritePlayer(ByteWriter& out, uint8_t recordId, const PlayerEntry& player) {
  out.U8(recordId)
      .U8(player.id)
      .Text(player.name)
      .U8(static_cast<uint8_t>(player.extra.size()))
      .Raw(player.extra);
}

}  // namespace

Bytes EncodeString(const Bytes& decoded) {
  Bytes encoded;
  for (size_t start = 0; start < decoded.size(); start += 7) {
    const size_t maskAt = encoded.size();
    uint8_t mask = 1;
    encoded.push_back(0);
    for (size_t k = 0; k < 7 && start + k < decoded.size(); ++k) {
      const uint8_t byte = decoded[start + k];
      if (byte % 2 == 0) {
        encoded.push_back(static_cast<uint8_t>(byte + 1));
      } else {
        encoded.push_back(byte);
        mask = static_cast<uint8_t>(mask | (1u << (k + 1)));
      }
    }
    encoded[maskAt] = mask;
  }
  return encoded;
}

Bytes LadderExtra(uint32_t value, uint32_t race) {
  return ByteWriter().U32(value).U32(race).bytes();
}

GameBuilder& GameBuilder::TimeSlot(uint16_t increment, const std::vector<CommandBlock>& commands) {
  ByteWriter body;
  body.U16(increment);
  for (const CommandBlock& command : commands) {
    body.U8(command.player).U16(static_cast<uint16_t>(command.actions.size())).Raw(command.actions);
  }
  ByteWriter block;
  block.U8(0x1F).U16(static_cast<uint16_t>(body.size())).Raw(body.bytes());
  return RawStream(block.bytes());
}

GameBuilder& GameBuilder::Chat(uint8_t player, uint32_t mode, std::string_view text,
                               uint8_t flags) {
  ByteWriter body;
  body.U8(flags).U32(mode).Text(text);
  ByteWriter block;
  block.U8(0x20).U8(player).U16(static_cast<uint16_t>(body.size())).Raw(body.bytes());
  return RawStream(block.bytes());
}

GameBuilder& GameBuilder::Leave(uint32_t reason, uint8_t player, uint32_t result,
                                uint32_t unknown) {
  return RawStream(ByteWriter().U8(0x17).U32(reason).U8(player).U32(result).U32(unknown).bytes());
}

GameBuilder& GameBuilder::RawStream(const Bytes& bytes) {
  stream.insert(stream.end(), bytes.begin(), bytes.end());
  return *this;
}

Bytes GameBuilder::GameStart() const {
  ByteWriter out;
  out.U32(leadingValue);
  WritePlayer(out, hostRecordId, host);
  out.Text(gameName).Text(secondText);
  ByteWriter decoded;
  for (uint8_t byte : settings)
    decoded.U8(byte);
  decoded.Text(mapPath).Text(creator).U8(0);
  out.Raw(EncodeString(decoded.bytes())).U8(0);
  out.U32(playerCountField).U8(gameType).U8(privateFlag).U16(extraWord).U32(extraDword);
  for (const PlayerEntry& player : players) {
    WritePlayer(out, 0x16, player);
    out.U32(0);
  }
  out.Raw(startRecords);
  out.U8(startRecordId);
  out.U16(sizeOfData.value_or(static_cast<uint16_t>(7 + 9 * slots.size())));
  out.U8(static_cast<uint8_t>(slots.size()));
  for (const SlotEntry& slot : slots) {
    out.U8(slot.playerId)
        .U8(slot.downloadStatus)
        .U8(slot.slotStatus)
        .U8(slot.computer)
        .U8(slot.team);
    out.U8(slot.color).U8(slot.race).U8(slot.aiStrength).U8(slot.handicap);
  }
  out.U32(randomSeed).U8(selectMode).U8(startSpots);
  return out.bytes();
}

Bytes GameBuilder::Build(size_t trailingZeros) const {
  ByteWriter out;
  out.Raw(GameStart()).Raw(stream).Zeros(trailingZeros);
  return out.bytes();
}

}  // namespace testsupport
