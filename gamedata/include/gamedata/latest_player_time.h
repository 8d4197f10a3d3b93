#pragma once

#include <cstdint>

struct GeneralInfo;

// The length of a game in milliseconds: the latest TimeInGame of its players (0 for none).
uint32_t LatestPlayerTime(const GeneralInfo* info);
