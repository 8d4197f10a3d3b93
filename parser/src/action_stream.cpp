#include "action_stream.h"

#include "byte_reader.h"
#include "command_decoder.h"
#include "game_time.h"
#include "gamedata/memory_manager.h"
#include "gamedata/profile_text.h"

namespace vantrel {
namespace {

void ReadLeave(ByteReader& reader, ParseContext& context, bool& ok) {
  uint32_t reason = 0, result = 0, unknown = 0;
  uint8_t player = 0;
  ok = reader.U32(reason) && reader.U8(player) && reader.U32(result) && reader.U32(unknown);
  if (!ok) return;
  ParseState& state = context.state;
  auto* leave = context.records.New<LeaveData>();
  *leave = LeaveData{reason, result, unknown};
  AppendEntry(context, player, state.gameClock, VANTREL_KIND_LEAVE, leave);
  if (PlayerRecord* record = state.playerById[player]) record->TimeInGame = state.gameClock;
  state.leaves[player] = LeaveEntry{reason, result, unknown};
  state.lastLeaver = player;
}

// A chat body: the flags byte (not examined), the chat mode, the text up to its zero or to the
// end of the body.
void ReadChat(ByteReader& reader, ParseContext& context, bool& ok) {
  uint8_t player = 0;
  uint16_t length = 0;
  ok = reader.U8(player) && reader.U16(length) && reader.Has(length);
  if (!ok) return;
  ByteReader body(reader.current(), length);
  reader.Skip(length);
  uint8_t flags = 0;
  uint32_t mode = 0;
  if (!body.U8(flags) || !body.U32(mode)) return;  // too short to be a message: nothing to show
  // The text ends at its zero byte, or with the body when it has none.
  auto* chat = context.records.New<ChatData>();
  chat->ChatMode = mode;
  chat->Text = DecodeProfileText(reinterpret_cast<const char*>(body.current()), body.remaining(),
                                 &context.pool)
                   .release();
  AppendEntry(context, player, context.state.gameClock, VANTREL_KIND_CHAT, chat);
}

void ReadTimeSlot(ByteReader& reader, ParseContext& context, bool& ok) {
  uint16_t length = 0, increment = 0;
  ok = reader.U16(length) && length >= 2 && reader.Has(length) && reader.U16(increment);
  if (!ok) return;
  ParseState& state = context.state;
  if (state.paused) {
    state.pauseClock = AddedMilliseconds(state.pauseClock, increment);
  } else {
    state.gameClock = AddedMilliseconds(state.gameClock, increment);
  }
  const GameTime time = state.gameClock;
  ByteReader commands(reader.current(), length - 2u);
  reader.Skip(length - 2u);
  CommandDecoder decoder(context);
  while (commands.remaining() > 0) {
    uint8_t player = 0;
    uint16_t size = 0;
    if (!commands.U8(player) || !commands.U16(size) || !commands.Has(size)) {
      ok = false;  // a command block that runs past its time slot: the stream is damaged
      return;
    }
    decoder.DecodeBlock(player, time, commands.current(), size);
    commands.Skip(size);
  }
}

bool SkipCounted(ByteReader& reader) {
  uint16_t length = 0;
  return reader.U16(length) && reader.Skip(length);
}

bool SkipShort(ByteReader& reader) {
  uint8_t length = 0;
  return reader.U8(length) && reader.Skip(length);
}

}  // namespace

size_t WalkActionStream(GameBytes& game, size_t start, ParseContext& context) {
  game.Fill(start, kLongestBlock);
  if (start < game.offset() || start - game.offset() > game.size()) return 0;
  ByteReader reader(game.data(), game.size());
  reader.Seek(start - game.offset());
  uint8_t id = 0;
  size_t end = start;
  for (;;) {
    // Every block is read whole from the window: it is moved on before a block could run past it.
    if (reader.remaining() < kLongestBlock && !game.complete()) {
      game.Fill(game.offset() + reader.position(), kLongestBlock);
      reader = ByteReader(game.data(), game.size());
    }
    if (!reader.U8(id)) break;
    bool ok = true;
    switch (id) {
      case kBlockLeave:
        ReadLeave(reader, context, ok);
        break;
      case kBlockSkip4A:
      case kBlockSkip4B:
      case kBlockSkip4C:
        ok = reader.Skip(4);
        break;
      case kBlockCountedSkip:
        ok = SkipCounted(reader);
        break;
      case kBlockTimeSlot:
        ReadTimeSlot(reader, context, ok);
        break;
      case kBlockChat:
        ReadChat(reader, context, ok);
        break;
      case kBlockShortSkip:
        ok = SkipShort(reader);
        break;
      default:
        ok = false;
        break;
    }
    if (!ok) break;
    end = game.offset() + reader.position();
  }
  return end - start;
}

}  // namespace vantrel
