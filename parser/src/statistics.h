#pragma once

#include "parse_state.h"

namespace vantrel {

// Decides the winner from the leave blocks: the players of the winning team get Winner 1.
// Logs "Library: cannot detect winner.\n" when the leaves tell no winner.
void DecideWinner(ParseContext& context);

// The leave state (0 to 7) of a player from its leave block's reason and result.
int LeaveState(uint32_t reason, uint32_t result, bool lastLeaver);

}  // namespace vantrel
