#include "gamedata/latest_player_time.h"

#include <tuple>

#include "vantrel.h"

uint32_t LatestPlayerTime(const GeneralInfo* info) {
  if (info == nullptr) return 0;
  GameTime latest{0, 0, 0, 0};
  const auto key = [](const GameTime& t) {
    return std::tie(t.Hours, t.Minutes, t.Seconds, t.Milliseconds);
  };
  for (const PlayerRecord* player = info->Players; player != nullptr; player = player->Next) {
    if (key(player->TimeInGame) > key(latest)) latest = player->TimeInGame;
  }
  return static_cast<uint32_t>(latest.Hours) * 3600000u +
         static_cast<uint32_t>(latest.Minutes) * 60000u +
         static_cast<uint32_t>(latest.Seconds) * 1000u + static_cast<uint32_t>(latest.Milliseconds);
}
