#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// What the version of a replay says about its layout.
//
// The version field counts patches as 14 to 31 for 1.14 to 1.31 (some 1.30 replays say 30), and
// from 1.30 on as 10000 + 100 * (major - 1) + minor: 10030 is 1.30, 10032 is 1.32, 10100 is 2.0.
// A field outside both ranges (a bot-written replay) says nothing; the build number decides
// then.
struct ReplayFormat {
  // Classic replays (1.14 to 1.26, and unreadable versions of classic builds) are read exactly as
  // the game of those versions writes them; an unknown id ends the walk.
  bool classic = true;
  // From 1.32 (build 6089): block headers of 12 bytes (u32 sizes), the game start record carries
  // records of its own (ids 0x39, and 0x38 from 2.0.2) between the players and the slot table,
  // and a second text follows the game name.
  bool reforged = false;
  int major = 1;
  int minor = 0;  // 0 with major 1 when the version field is unreadable
};

// The build from which the layout of 1.32 is written.
constexpr uint16_t kFirstReforgedBuild = 6089;

ReplayFormat FormatOf(uint32_t gameVersion, uint16_t buildNumber);

// "1.26", "1.30", "1.32", "2.0"; "?" for an unreadable version field.
std::string VersionText(uint32_t gameVersion);

}  // namespace vantrel
