// The game start record: host, game name, encoded settings, players, slots.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gamedata/log.h"
#include "replay_parser.h"
#include "support/game_builder.h"
#include "support/replay_writer.h"
#include "support/temp_dir.h"

using namespace testsupport;

namespace {

class GameStartTest : public testing::Test {
 protected:
  void SetUp() override {
    log_ = std::make_unique<CLog>(dir_.File("quorvel.log").c_str());
    // The log of the last ParseReplay is the one ParseCompressedData writes to.
    ParserData request{};
    request.GeneralInfo = &info_;
    request.LogObject = log_.get();
    parser_.ParseReplay(&request, dir_.File("none.w3g").c_str());
  }

  // Parses the game start record of `game` (mode 1) and returns the result code.
  int32_t Parse(const GameBuilder& game, uint8_t mode = VANTREL_PARSE_GAME_START) {
    data_ = game.Build();
    CompressedDataParams params{};
    params.Data = data_.data();
    params.DataSize = static_cast<uint32_t>(data_.size());
    params.GeneralInfo = &info_;
    params.ParseMode = mode;
    return parser_.ParseCompressedData(&params);
  }
  std::string Error() const { return info_.ErrorText != nullptr ? info_.ErrorText : "(null)"; }

  TempDir dir_;
  CurrentFolder inFolder_{dir_.path()};
  std::unique_ptr<CLog> log_;
  vantrel::ReplayParser parser_;
  GeneralInfo info_{};
  Bytes data_;
};

GameBuilder TwoPlayers() {
  GameBuilder game;
  game.host = PlayerEntry{1, "Alder", {0}};
  game.players = {PlayerEntry{2, "Brisk", {0}}};
  game.slots = {SlotEntry{1, 100, 2, 0, 0, 0, 0x01, 1, 100},
                SlotEntry{2, 100, 2, 0, 1, 1, 0x02, 1, 90}};
  return game;
}

TEST_F(GameStartTest, ReadsNamesAndTheRecordFields) {
  GameBuilder game = TwoPlayers();
  game.gameName = "Alder vs Brisk";
  game.mapPath = "Maps\\FrozenThrone\\(4)TwistedMeadows.w3x";
  game.creator = "Alder";
  game.gameType = 1;
  game.privateFlag = 8;
  game.extraWord = 0xBEEF;
  game.extraDword = 0x12345678;
  game.randomSeed = 0xDEADBEEF;
  game.selectMode = 4;
  game.startSpots = 2;
  ASSERT_EQ(Parse(game), 0) << Error();
  EXPECT_STREQ(info_.GameName, "Alder vs Brisk");
  EXPECT_STREQ(info_.MapName, "Maps\\FrozenThrone\\(4)TwistedMeadows.w3x");
  EXPECT_STREQ(info_.GameCreatorName, "Alder");
  EXPECT_EQ(info_.GameType, 1);
  EXPECT_EQ(info_.PrivateGame, 1);
  EXPECT_EQ(info_.ExtraWord, 0xBEEF);
  EXPECT_EQ(info_.ExtraDword, 0x12345678u);
  EXPECT_EQ(info_.RandomSeed, 0xDEADBEEFu);
  EXPECT_EQ(info_.SelectMode, 4);
  EXPECT_EQ(info_.StartSpotCount, 2);
  EXPECT_EQ(info_.SlotRecordCount, 2);
  EXPECT_EQ(info_.Actions, nullptr);
}

TEST_F(GameStartTest, ExtraDataOfEightBytesCarriesValueAndRace) {
  GameBuilder game = TwoPlayers();
  game.host.extra = LadderExtra(0x11223344, 0x40 | 0x08);
  game.players[0].extra = {7};  // one byte: skipped
  ASSERT_EQ(Parse(game), 0) << Error();
  ASSERT_EQ(info_.PlayerCount, 2);
  EXPECT_EQ(info_.Players[0].ExtraValue, 0x11223344u);
  EXPECT_EQ(info_.Players[0].Race, 0x48u);
  EXPECT_EQ(info_.Players[1].ExtraValue, 0u);
  EXPECT_EQ(info_.Players[1].Race, 0u);
  EXPECT_EQ(info_.Players[0].RecordID, 0);
  EXPECT_EQ(info_.Players[1].RecordID, 0x16);
}

struct SettingsCase {
  std::array<uint8_t, 4> bytes;  // decoded settings bytes 0 to 3
  uint8_t speed, visibility, observers, teamsTogether, fixedTeams, sharedControl, randomHero,
      randomRaces, referee;
};

TEST_F(GameStartTest, DecodesTheSettings) {
  const SettingsCase cases[] = {
      {{0x02, 0x08, 0x06, 0x00}, 3, 4, 0, 0, 1, 0, 0, 0, 0},
      {{0x00, 0x08, 0x00, 0x00}, 1, 4, 0, 0, 0, 0, 0, 0, 0},
      {{0x01, 0x08, 0x02, 0x00}, 2, 4, 0, 0, 0, 0, 0, 0, 0},
      {{0x03, 0x0E, 0x04, 0x00}, 2, 7, 0, 0, 0, 0, 0, 0, 0},
      {{0x02, 0x01, 0x00, 0x00}, 3, 15, 0, 0, 0, 0, 0, 0, 0},
      {{0x02, 0x0F, 0x00, 0x00}, 3, 15, 0, 0, 0, 0, 0, 0, 0},
      {{0x02, 0x04, 0x00, 0x00}, 3, 2, 0, 0, 0, 0, 0, 0, 0},
      {{0x02, 0x02, 0x00, 0x00}, 3, 1, 0, 0, 0, 0, 0, 0, 0},
      {{0x02, 0x28, 0x00, 0x00}, 3, 4, 2, 0, 0, 0, 0, 0, 0},
      {{0x02, 0x38, 0x00, 0x00}, 3, 4, 3, 0, 0, 0, 0, 0, 0},
      {{0x02, 0x48, 0x00, 0x00}, 3, 4, 0, 1, 0, 0, 0, 0, 0},
      {{0x02, 0x08, 0x00, 0x07}, 3, 4, 0, 0, 0, 1, 1, 1, 0},
      {{0x02, 0x08, 0x00, 0x40}, 3, 4, 4, 0, 0, 0, 0, 0, 1},  // a referee makes observers referees
      {{0x02, 0x38, 0x00, 0x40}, 3, 4, 4, 0, 0, 0, 0, 0, 1},
  };
  for (const SettingsCase& c : cases) {
    GameBuilder game = TwoPlayers();
    std::copy(c.bytes.begin(), c.bytes.end(), game.settings.begin());
    ASSERT_EQ(Parse(game), 0) << Error();
    SCOPED_TRACE(testing::Message() << std::hex << int(c.bytes[0]) << " " << int(c.bytes[1]) << " "
                                    << int(c.bytes[2]) << " " << int(c.bytes[3]));
    EXPECT_EQ(info_.GameSpeed, c.speed);
    EXPECT_EQ(info_.Visibility, c.visibility);
    EXPECT_EQ(info_.Observers, c.observers);
    EXPECT_EQ(info_.TeamsTogether, c.teamsTogether);
    EXPECT_EQ(info_.FixedTeams, c.fixedTeams);
    EXPECT_EQ(info_.FullSharedUnitControl, c.sharedControl);
    EXPECT_EQ(info_.RandomHero, c.randomHero);
    EXPECT_EQ(info_.RandomRaces, c.randomRaces);
    EXPECT_EQ(info_.Referee, c.referee);
  }
}

TEST_F(GameStartTest, MapChecksumIsTheEncodedValue) {
  GameBuilder game = TwoPlayers();
  // Decoded 9 to 12: an even byte is stored plus one, an odd one as it is.
  game.settings[9] = 0x10;
  game.settings[10] = 0x21;
  game.settings[11] = 0xFE;
  game.settings[12] = 0x7F;
  ASSERT_EQ(Parse(game), 0) << Error();
  EXPECT_EQ(info_.MapChecksum, 0x7FFF2111u);
}

TEST_F(GameStartTest, PlayersAreOrderedByIdAndCountedAsRead) {
  GameBuilder game;
  game.host = PlayerEntry{1, "One", {0}};
  game.players = {PlayerEntry{5, "Five", {0}}, PlayerEntry{2, "Two", {0}},
                  PlayerEntry{3, "Three", {0}}};
  game.playerCountField = 12;
  game.slots = {SlotEntry{3}, SlotEntry{1}, SlotEntry{9}, SlotEntry{5}};
  game.slots[2].computer = 1;
  ASSERT_EQ(Parse(game), 0) << Error();
  ASSERT_EQ(info_.PlayerCount, 4);
  const std::vector<std::pair<int, std::string>> expected = {
      {1, "One"}, {2, "Two"}, {3, "Three"}, {5, "Five"}};
  const PlayerRecord* player = info_.Players;
  for (size_t i = 0; i < expected.size(); ++i, player = player->Next) {
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player, &info_.Players[i]) << "the list runs through the array";
    EXPECT_EQ(player->PlayerID, expected[i].first);
    EXPECT_EQ(player->PlayerName, expected[i].second);
  }
  EXPECT_EQ(player, nullptr);

  // Slots keep file order; each player holds the first slot of its id and the slot holds it.
  ASSERT_EQ(info_.SlotRecordCount, 4);
  EXPECT_EQ(info_.Slots[0].PlayerID, 3);
  EXPECT_EQ(info_.Slots[0].Player, &info_.Players[2]);
  EXPECT_EQ(info_.Players[2].Slot, &info_.Slots[0]);
  EXPECT_EQ(info_.Players[0].Slot, &info_.Slots[1]);
  EXPECT_EQ(info_.Slots[2].Player, nullptr) << "no player has id 9";
  EXPECT_EQ(info_.Slots[2].IsHuman, 0);
  EXPECT_EQ(info_.Slots[1].IsHuman, 1);
  EXPECT_EQ(info_.Players[1].Slot, nullptr) << "no slot has id 2";
  EXPECT_EQ(info_.Slots[3].Next, nullptr);
  EXPECT_EQ(info_.Slots[0].Next, &info_.Slots[1]);
}

TEST_F(GameStartTest, SlotFieldsInOrder) {
  GameBuilder game = TwoPlayers();
  game.slots = {SlotEntry{1, 0x64, 2, 0, 3, 7, 0x44, 2, 80}};
  ASSERT_EQ(Parse(game), 0) << Error();
  const SlotRecord& slot = info_.Slots[0];
  EXPECT_EQ(slot.PlayerID, 1);
  EXPECT_EQ(slot.DownloadStatus, 0x64);
  EXPECT_EQ(slot.SlotStatus, 2);
  EXPECT_EQ(slot.IsHuman, 1);
  EXPECT_EQ(slot.TeamNumber, 3);
  EXPECT_EQ(slot.ColorNumber, 7);
  EXPECT_EQ(slot.Race, 0x44);
  EXPECT_EQ(slot.AIStrength, 2);
  EXPECT_EQ(slot.PlayerHandicap, 80);
}

TEST_F(GameStartTest, NamesLoseTrailingBlanksAndKeepTheirScript) {
  GameBuilder game = TwoPlayers();
  game.host.name = "Alder   ";
  game.players[0].name = "Игрок";
  game.players.push_back(PlayerEntry{3, "玩家一号", {0}});
  game.gameName = "Местная игра ";
  game.creator = "Alder  ";
  ASSERT_EQ(Parse(game), 0) << Error();
  EXPECT_STREQ(info_.Players[0].PlayerName, "Alder");
  EXPECT_STREQ(info_.Players[1].PlayerName, "Игрок");
  EXPECT_STREQ(info_.Players[2].PlayerName, "玩家一号");
  EXPECT_STREQ(info_.GameName, "Местная игра");
  EXPECT_STREQ(info_.GameCreatorName, "Alder");
}

TEST_F(GameStartTest, RecordErrorsStopTheParseButKeepWhatWasRead) {
  GameBuilder wrongId = TwoPlayers();
  wrongId.startRecordId = 0x18;
  GameBuilder biggerSize = TwoPlayers();
  biggerSize.sizeOfData = static_cast<uint16_t>(7 + 9 * 2 + 1);
  const std::pair<GameBuilder, const char*> cases[] = {
      {wrongId, "Error parsing GameStartRecord - 0x19"},
      {biggerSize, "ERROR: SizeOfData and BytesRead does not match"},
  };
  for (const auto& [game, error] : cases) {
    EXPECT_EQ(Parse(game, VANTREL_PARSE_FULL), 1);
    EXPECT_EQ(Error(), error);
    // Read in file order, neither sorted nor linked; no action parsed.
    ASSERT_NE(info_.Players, nullptr);
    EXPECT_STREQ(info_.Players->PlayerName, "Alder");
    ASSERT_NE(info_.Players->Next, nullptr);
    EXPECT_STREQ(info_.Players->Next->PlayerName, "Brisk");
    EXPECT_EQ(info_.Players->Slot, nullptr);
    EXPECT_EQ(info_.Actions, nullptr);
  }
  EXPECT_NE(ReadText(dir_.File("quorvel.log"))
                .find("Library: ERROR: ERROR: SizeOfData and BytesRead does not match\n"),
            std::string::npos);
}

TEST_F(GameStartTest, StepsAreLogged) {
  ASSERT_EQ(Parse(TwoPlayers()), 0);
  const std::string log = ReadText(dir_.File("quorvel.log"));
  size_t at = 0;
  for (int step = 1; step <= 6; ++step) {
    const std::string line = "Library: parsing data step " + std::to_string(step) + ".\n";
    at = log.find(line, at);
    ASSERT_NE(at, std::string::npos) << line << log;
  }
}

TEST_F(GameStartTest, EveryCutOfTheRecordEndsWithAnError) {
  const Bytes whole = TwoPlayers().GameStart();
  for (size_t size = 0; size < whole.size(); ++size) {
    const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    CompressedDataParams params{};
    params.Data = part.data();
    params.DataSize = static_cast<uint32_t>(part.size());
    params.GeneralInfo = &info_;
    params.ParseMode = VANTREL_PARSE_FULL;
    EXPECT_EQ(parser_.ParseCompressedData(&params), 1) << size;
    EXPECT_NE(info_.ErrorText, nullptr) << size;
  }
}

TEST_F(GameStartTest, DamagedGameStartOfAValidContainerStillReturnsTrue) {
  GameBuilder game = TwoPlayers();
  game.startRecordId = 0;
  ParserData request{};
  request.GeneralInfo = &info_;
  const std::string path = dir_.Write("damaged.w3g", BuildReplay(game.Build()));
  EXPECT_TRUE(parser_.ParseReplay(&request, path.c_str()));
  EXPECT_EQ(Error(), "Error parsing GameStartRecord - 0x19");
}

TEST_F(GameStartTest, EmptySlotTableIsValid) {
  GameBuilder game = TwoPlayers();
  game.slots.clear();
  ASSERT_EQ(Parse(game), 0) << Error();
  EXPECT_EQ(info_.SlotRecordCount, 0);
  EXPECT_EQ(info_.Slots, nullptr);
  EXPECT_EQ(info_.Players[0].Slot, nullptr);
}

}  // namespace

namespace {

TEST_F(GameStartTest, DebugFileListsGameSettingsPlayersSlotsAndTexts) {
  GameBuilder game = TwoPlayers();
  game.TimeSlot(1500).Chat(2, 1, "hi").Leave(1, 2, 9);
  data_ = game.Build();
  CompressedDataParams params{};
  params.Data = data_.data();
  params.DataSize = static_cast<uint32_t>(data_.size());
  params.GeneralInfo = &info_;
  params.WriteDebugFile = 1;
  params.TranslateTexts = 1;
  ASSERT_EQ(parser_.ParseCompressedData(&params), 0) << Error();
  EXPECT_EQ(ReadText(dir_.File("debug_file.txt")),
            "General replay info:\n"
            "GameCreatorName: 'Host'\n"
            "GameName: 'Game'\n"
            "MapName: 'Maps\\FrozenThrone\\(2)EchoIsles.w3x'\n"
            "PlayerCount: 2\n"
            "SlotRecordCount: 2\n"
            "RandomSeed: 12345678h\n"
            "SelectMode: Team and race selectable\n"
            "StartSpotCount: 2\n"
            "GameType: Custom\n"
            "\n"
            "MAP SETTINGS\n"
            "FixedTeams: True\n"
            "FullSharedUnitControl: False'\n"
            "GameSpeed: Fast\n"
            "MapChecksum: '13355779h'\n"
            "Observers: Disabled\n"
            "RandomHero: False\n"
            "RandomRaces: False\n"
            "Referee: False\n"
            "TeamsTogether: True\n"
            "Visibility: Default\n"
            "\n"
            "\n"
            "PLAYERS LIST\n"
            "PlayerID= 1 PlayerName=Alder           Race= 0h Winner=0 ActionsTotal=   0 "
            "TimeInGame: 0:00:00.000\n"
            "PlayerID= 2 PlayerName=Brisk           Race= 0h Winner=1 ActionsTotal=   0 "
            "TimeInGame: 0:00:01.500\n"
            "\n"
            "SLOT RECORDS\n"
            "PlayerID:  1, SlotStatus: 2, IsHuman: 1, TeamNumber: 0, ColorNumber: 0, Race: 1, "
            "AIStrength: 1, "
            "PlayerHandicap: 100\n"
            "PlayerID:  2, SlotStatus: 2, IsHuman: 1, TeamNumber: 1, ColorNumber: 1, Race: 2, "
            "AIStrength: 1, "
            "PlayerHandicap: 90\n"
            "\n"
            "0:00:01.500 Brisk           0 Chat (to allies): 'hi'.\n"
            "0:00:01.500 Brisk           0 Leave game (Connection closed by REMOTE game), "
            "Result=9, Unknown=0\n");
}

}  // namespace
