#include "gamedata/latest_player_time.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "vantrel.h"

namespace {

// A GeneralInfo whose players (an array chained through Next, as the parser fills it) left at
// the given times.
class Game {
 public:
  explicit Game(const std::vector<GameTime>& leaveTimes) : players_(leaveTimes.size()) {
    for (size_t i = 0; i < players_.size(); ++i) {
      players_[i].PlayerID = static_cast<uint8_t>(i + 1);
      players_[i].TimeInGame = leaveTimes[i];
      players_[i].Next = i + 1 < players_.size() ? &players_[i + 1] : nullptr;
    }
    info_.PlayerCount = static_cast<int32_t>(players_.size());
    info_.Players = players_.empty() ? nullptr : players_.data();
  }
  const GeneralInfo* info() const { return &info_; }

 private:
  std::vector<PlayerRecord> players_;
  GeneralInfo info_{};
};

struct LengthCase {
  std::vector<GameTime> leaveTimes;
  uint32_t length;
};

class LatestPlayerTimeTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(LatestPlayerTimeTest, IsTheLatestLeaveInMilliseconds) {
  const Game game(GetParam().leaveTimes);
  EXPECT_EQ(LatestPlayerTime(game.info()), GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(
    Games, LatestPlayerTimeTest,
    ::testing::Values(LengthCase{{{0, 20, 1, 500}, {0, 31, 0, 0}}, 1860000},
                      LengthCase{{{0, 31, 0, 0}, {0, 20, 1, 500}}, 1860000},
                      // The latest player may stand anywhere in the list.
                      LengthCase{{{0, 1, 0, 0}, {0, 45, 12, 345}, {0, 3, 0, 0}, {0, 0, 0, 0}},
                                 2712345},
                      LengthCase{{{0, 5, 7, 250}}, 307250},
                      // Players without a leave have 0:00:00.000.
                      LengthCase{{{0, 0, 0, 0}, {0, 0, 0, 0}}, 0},
                      LengthCase{{{0, 0, 0, 0}, {0, 0, 0, 1}}, 1},
                      // Every field counts, the more significant one first.
                      LengthCase{{{1, 0, 0, 0}, {0, 59, 59, 999}}, 3600000},
                      LengthCase{{{0, 59, 59, 999}, {1, 0, 0, 0}}, 3600000},
                      LengthCase{{{0, 10, 0, 999}, {0, 10, 1, 0}}, 601000},
                      LengthCase{{{0, 10, 1, 0}, {0, 10, 0, 999}}, 601000},
                      LengthCase{{{0, 10, 59, 0}, {0, 11, 0, 0}}, 660000},
                      LengthCase{{{2, 3, 4, 5}, {2, 3, 4, 6}, {2, 3, 4, 4}}, 7384006},
                      // The fields decide in order, not the total they add up to.
                      LengthCase{{{0, 0, 0, 70000}, {0, 1, 0, 0}}, 60000},
                      LengthCase{{{0, 1, 0, 0}, {0, 0, 0, 70000}}, 60000}));

TEST(LatestPlayerTimeNoPlayersTest, IsZero) {
  const Game none({});
  ASSERT_EQ(none.info()->Players, nullptr);
  EXPECT_EQ(LatestPlayerTime(none.info()), 0u);

  // Before the game start record is read, PlayerCount is -1 and there is no list either.
  GeneralInfo unread{};
  unread.PlayerCount = -1;
  EXPECT_EQ(LatestPlayerTime(&unread), 0u);
}

TEST(LatestPlayerTimeListTest, FollowsTheChainOfPlayers) {
  // Players reached only through Next still count.
  PlayerRecord last{};
  last.TimeInGame = {0, 42, 0, 0};
  PlayerRecord first{};
  first.TimeInGame = {0, 1, 0, 0};
  first.Next = &last;
  GeneralInfo info{};
  info.PlayerCount = 2;
  info.Players = &first;
  EXPECT_EQ(LatestPlayerTime(&info), 2520000u);
}

}  // namespace
