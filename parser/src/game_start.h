#pragma once

#include <cstddef>

#include "parse_state.h"

namespace vantrel {

class ByteReader;

// Reads the game start record that begins at the reader's position (4 bytes into the decompressed
// data): the host, the game name, the encoded settings string, the further players and the slot
// table. Fills GeneralInfo, builds the player and slot arrays in the pool and links players with
// their slots. On return the reader stands at the first block of the game.
//
// Raises CError with "Error parsing GameStartRecord - 0x19", "ERROR: SizeOfData and BytesRead
// does not match", "Error parsing GameStartRecord - too many players" (more than
// VANTREL_MAX_PLAYER_ENTRIES player entries) or, for data that ends inside the record, "Replay data
// ends inside the game start record."; the players and slots read until then stay in GeneralInfo as
// read (in file order, chained, not linked to each other).
void ParseGameStart(ByteReader& reader, ParseContext& context);

}  // namespace vantrel
