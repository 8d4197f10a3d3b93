// Real replays recorded by other people: the game start record and the chat agree with what an
// independent parser reports for them (the fields that have one true value: names, teams,
// colours, map path, game name, creator, chat texts and times).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "gamedata/mpq_data_reader.h"
#include "gamedata/slk_parser.h"
#include "replay_parser.h"
#include "support/corpus.h"
#include "support/temp_dir.h"

using testsupport::CorpusReplay;

namespace {

// The colours by colour number, as the other parser names them.
const char* const kColours[] = {"#ff0303", "#0042ff", "#1ce6b9", "#540081", "#fffc00", "#fe8a0e",
                                "#20c000", "#e55bb0", "#959697", "#7ebff1", "#106246", "#4a2a04",
                                "#9b0000", "#0000c3", "#00eaff", "#be00fe", "#ebcd87", "#f8a48b",
                                "#bfff80", "#dcb9eb", "#282828", "#ebf0ff", "#00781e", "#a46f33"};

// Its chat modes by our chat mode.
std::string ChatMode(uint32_t mode) {
  switch (mode) {
    case 0:
      return "All";
    case 1:
      return "Team";
    case 2:
      return "Obervers";
    default:
      return "Private";
  }
}

// Every replay of 1.14 or later (the GRBN-wrapped one included: the other parser read the replay
// inside it).
std::vector<CorpusReplay> Rows() {
  std::vector<CorpusReplay> rows;
  for (const CorpusReplay& replay : testsupport::CorpusReplays()) {
    if (replay.headerVersion == 1) rows.push_back(replay);
  }
  return testsupport::OrAbsentRow(std::move(rows));
}

std::string PeerFile(const CorpusReplay& replay) {
  std::string name = replay.file;
  name.replace(name.find('/'), 1, "__");
  return testsupport::CorpusDir() + "/peer-w3gjs/" + name + ".json";
}

// Texts taken from a replay lose their trailing blanks; the other parser keeps them.
std::string WithoutTrailingBlanks(std::string text) {
  while (text.size() > 1 && text.back() == ' ')
    text.pop_back();
  return text;
}

int64_t Milliseconds(const GameTime& time) {
  return ((time.Hours * 60LL + time.Minutes) * 60 + time.Seconds) * 1000 + time.Milliseconds;
}

// A catalogue made straight from the game's real tables (no archives needed): enough to tell
// heroes, units and buildings apart.
TMPQDataReader& RealCatalogue() {
  static TMPQDataReader reader;
  static bool filled = false;
  if (!filled) {
    filled = true;
    const std::string units = testsupport::CorpusDir() + "/w3x2lni/enUS-1.27.1/Units/";
    const auto parse = [&](TSLKParser& table, const char* name) {
      const testsupport::Bytes bytes = testsupport::ReadFile(units + name);
      table.Parse(bytes.data(), bytes.size());
    };
    TSLKParser unitData, abilityData, upgradeData, itemData, unitAbilities;
    parse(unitData, "unitdata.slk");
    parse(abilityData, "abilitydata.slk");
    parse(upgradeData, "upgradedata.slk");
    parse(itemData, "itemdata.slk");
    parse(unitAbilities, "unitabilities.slk");
    CatalogueTable(abilityData, kObjectSkill, reader.RaceGroups, reader.StandardMemory, nullptr);
    CatalogueUnits(unitData, reader.RaceGroups, reader.StandardMemory, nullptr);
    CatalogueTable(upgradeData, kObjectUpgrade, reader.RaceGroups, reader.StandardMemory, nullptr);
    CatalogueTable(itemData, kObjectItem, reader.RaceGroups, reader.StandardMemory, nullptr);
    AttachUnitAbilities(unitAbilities, reader.RaceGroups, reader.StandardMemory);
  }
  return reader;
}

class CorpusGame : public testing::TestWithParam<CorpusReplay> {};

TEST_P(CorpusGame, AgreesWithTheOtherParser) {
  const CorpusReplay& replay = GetParam();
  if (replay.path.empty()) GTEST_SKIP() << "the corpus folder is absent (set QUORVEL_CORPUS)";
  std::ifstream in(PeerFile(replay));
  ASSERT_TRUE(in) << PeerFile(replay);
  const nlohmann::json peer = nlohmann::json::parse(in);

  vantrel::ReplayParser parser;
  GeneralInfo info{};
  info.DataReader = &RealCatalogue();
  ParserData request{};
  request.GeneralInfo = &info;
  ASSERT_TRUE(parser.ParseReplay(&request, replay.path.c_str()));
  ASSERT_EQ(info.ErrorText, nullptr) << info.ErrorText;
  EXPECT_TRUE(parser.WalkReachedEnd()) << "the block stream was not read to its end";

  EXPECT_EQ(info.GameName, WithoutTrailingBlanks(peer["gameName"].get<std::string>()));
  EXPECT_EQ(info.MapName, peer["mapPath"].get<std::string>());
  EXPECT_EQ(info.GameCreatorName, peer["creator"].get<std::string>());

  std::map<int, const PlayerRecord*> players;
  for (const PlayerRecord* player = info.Players; player != nullptr; player = player->Next) {
    players[player->PlayerID] = player;
  }
  for (const auto& expected : peer["players"]) {
    const int id = expected["id"].get<int>();
    if (id == 0)
      continue;  // it lists computer slots as players with id 0: they have no player entry
    ASSERT_TRUE(players.count(id)) << "player " << id;
    const PlayerRecord* player = players[id];
    EXPECT_EQ(player->PlayerName, expected["name"].get<std::string>());
    ASSERT_NE(player->Slot, nullptr) << player->PlayerName;
    EXPECT_EQ(player->Slot->TeamNumber, expected["teamid"].get<int>()) << player->PlayerName;
    ASSERT_LT(player->Slot->ColorNumber, std::size(kColours));
    EXPECT_EQ(kColours[player->Slot->ColorNumber], expected["color"].get<std::string>())
        << player->PlayerName;
  }
  for (const auto& observer : peer["observers"]) {
    bool found = false;
    for (const auto& [id, player] : players)
      found = found || player->PlayerName == observer.get<std::string>();
    EXPECT_TRUE(found) << "observer " << observer;
  }

  // The only actions the decoder does not know are ones the bytes really hold: 0x6B and 0x70 (a
  // map's synchronised trigger values), 0x7A (new in 1.31) and 0x2A (a single byte closing some
  // command blocks of trigger-heavy maps).
  for (const ActionRecord* entry = info.Actions; entry != nullptr; entry = entry->Next) {
    if (entry->Kind != VANTREL_KIND_COMMAND) continue;
    const auto* command = static_cast<const CommandData*>(entry->Data);
    if (command->ActionID != VANTREL_UNKNOWN_COMMAND) continue;
    const uint8_t id = static_cast<const UnknownCommandData*>(command->Fields)->ActionID;
    const bool classicUnknown = id == 0x6B || id == 0x70 || id == 0x7A || id == 0x2A;
    // The platform that wraps its replays adds actions of its own (0x92, 0x94 in the GRBN file).
    const bool platformAction =
        replay.file.find("GRBN") != std::string::npos && (id == 0x92 || id == 0x94);
    EXPECT_TRUE(classicUnknown || platformAction) << std::hex << int(id);
  }

  // The game clock stands still while the game is paused; the other parser's clock goes on. Chat
  // times are compared only for games without a pause.
  bool paused = false;
  for (const ActionRecord* entry = info.Actions; entry != nullptr && !paused; entry = entry->Next) {
    paused = entry->Kind == VANTREL_KIND_COMMAND &&
             static_cast<const CommandData*>(entry->Data)->ActionID == 0x01;
  }
  const auto time = [paused](int64_t ms) { return paused ? std::string("-") : std::to_string(ms); };

  std::vector<std::string> ours, theirs;
  for (const ActionRecord* entry = info.Actions; entry != nullptr; entry = entry->Next) {
    if (entry->Kind != VANTREL_KIND_CHAT) continue;
    const auto* chat = static_cast<const ChatData*>(entry->Data);
    ours.push_back(std::to_string(entry->PlayerID) + " " + time(Milliseconds(entry->Time)) + " " +
                   ChatMode(chat->ChatMode) + " " + chat->Text);
  }
  for (const auto& chat : peer["chat"]) {
    theirs.push_back(std::to_string(chat["playerId"].get<int>()) + " " +
                     time(chat["timeMs"].get<int64_t>()) + " " + chat["mode"].get<std::string>() +
                     " " + WithoutTrailingBlanks(chat["message"].get<std::string>()));
  }
  EXPECT_EQ(ours, theirs);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusGame, testing::ValuesIn(Rows()),
                         [](const testing::TestParamInfo<CorpusReplay>& info) {
                           return testsupport::CorpusTestName(info.param);
                         });

}  // namespace
