// The JSON document of `quorvel-cli json`: every value of a written replay in its place, and a
// valid document for every replay of the corpus.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "gamedata/mpq_data_reader.h"
#include "json_output.h"
#include "replay_parser.h"
#include "support/corpus.h"
#include "support/game_builder.h"
#include "support/replay_writer.h"

using namespace testsupport;
using quorvel::cli::Json;

namespace {

constexpr uint32_t kNone = 0xFFFFFFFF;

Bytes Ability(const char* id) {
  return ByteWriter().U8(0x10).U16(0x40).Id(id).U32(kNone).U32(kNone).bytes();
}
Bytes AbilityAt(const char* id, float x, float y) {
  return ByteWriter().U8(0x11).U16(0x40).Id(id).U32(kNone).U32(kNone).F32(x).F32(y).bytes();
}
Bytes RightClick(float x, float y, uint32_t target) {
  return ByteWriter()
      .U8(0x12)
      .U16(0x40)
      .U32(0x000D0003)
      .U32(kNone)
      .U32(kNone)
      .F32(x)
      .F32(y)
      .U32(target)
      .U32(target + 1)
      .bytes();
}
Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A catalogue naming the objects the written game uses.
void AddObjects(TMPQDataReader& reader) {
  const auto make = [&](std::vector<std::pair<const char*, const char*>> named, uint8_t type,
                        uint32_t& count) {
    auto* entries = reader.StandardMemory.New<ObjectEntry>(named.size());
    for (size_t i = 0; i < named.size(); ++i) {
      std::strcpy(entries[i].Id, named[i].first);
      entries[i].Type = type;
      AddProperty(&entries[i], "Name", named[i].second, reader.StandardMemory);
    }
    count = static_cast<uint32_t>(named.size());
    return entries;
  };
  RaceGroup& human = reader.RaceGroups[2];
  human.Units = make({{"hpea", "Peasant"}}, kObjectUnit, human.UnitCount);
  human.Buildings = make({{"hbar", "Barracks"}}, kObjectBuilding, human.BuildingCount);
  human.Heroes = make({{"Hpal", "Paladin"}}, kObjectHero, human.HeroCount);
  AddProperty(&human.Heroes[0], "heroAbilList", "AHhb,AHds,AHre,AHad", reader.StandardMemory);
  RaceGroup& neutral = reader.RaceGroups[kNeutralGroup];
  neutral.Skills = make({{"AHhb", "Holy Light"}}, kObjectSkill, neutral.SkillCount);
}

Json Coded(int64_t value, const char* text) {
  return Json{{"value", value}, {"text", text}};
}
Json Named(const char* id, const char* name, int64_t ms, const char* time) {
  return Json{{"id", id}, {"name", name}, {"time_ms", ms}, {"time", time}};
}

TEST(CliJson, WrittenReplayGivesItsKnownDocument) {
  GameBuilder game;
  game.host = PlayerEntry{1, "Alder", {0}};
  game.players = {PlayerEntry{2, "Brisk", {0}}};
  game.gameName = "Duel";
  game.creator = "Alder";
  game.slots = {SlotEntry{1, 100, 2, 0, 0, 0, 0x01, 1, 100},
                SlotEntry{2, 100, 2, 0, 1, 3, 0x02, 1, 90}};
  // Alder summons the Paladin, learns Holy Light for it and summons it again (5 counted);
  // Brisk builds, trains and orders (3 counted), chats and leaves first.
  game.TimeSlot(100,
                {{1, Join({Ability("Hpal"), {0x61}, Ability("AHhb"), {0x61}, Ability("Hpal")})}});
  game.TimeSlot(
      150,
      {{2, Join({AbilityAt("hbar", 1.5f, -2.0f), Ability("hpea"), RightClick(64.0f, 32.0f, 7)})}});
  game.Chat(2, 0, "gg");
  game.Leave(1, 2, 9);
  game.Leave(12, 1, 8);
  const Bytes data = game.Build();
  ReplayHeader header;
  header.replayLength = 250;
  const Bytes file = BuildReplay(data, header);

  TMPQDataReader reader;
  AddObjects(reader);
  vantrel::ReplayParser parser;
  GeneralInfo info{};
  info.DataReader = &reader;
  ParserData request{};
  request.GeneralInfo = &info;
  request.TranslateTexts = 1;  // the library's own text list, to compare the entry texts with
  ASSERT_TRUE(parser.ParseReplayData(&request, file.data(), file.size()));
  ASSERT_EQ(info.ErrorText, nullptr) << info.ErrorText;

  Json expected = Json::object();
  expected["header"] = {{"version", 26},
                        {"version_text", "1.26"},
                        {"build", 6059},
                        {"flags", 0x8000},
                        {"length_ms", 250},
                        {"length", "0:00:00.250"},
                        {"header_version", 1},
                        {"header_size", 68},
                        {"compressed_size", file.size()},
                        {"decompressed_size", data.size()},
                        {"block_count", 1},
                        {"checksum", 0}};
  const Json no = Coded(0, "False");
  const Json yes = Coded(1, "True");
  expected["game"] = {{"name", "Duel"},
                      {"map", "Maps\\FrozenThrone\\(2)EchoIsles.w3x"},
                      {"creator", "Alder"},
                      {"game_type", Coded(9, "Custom")},
                      {"private", no},
                      {"speed", Coded(3, "Fast")},  // settings byte 0x02
                      {"visibility", Coded(4, "Default")},
                      {"observers", Coded(0, "Disabled")},
                      {"referee", no},
                      {"select_mode", Coded(0, "Team and race selectable")},
                      {"teams_together", yes},
                      {"fixed_teams", yes},
                      {"full_shared_unit_control", no},
                      {"random_hero", no},
                      {"random_races", no},
                      // The checksum bytes as stored in the encoded settings (even bytes + 1).
                      {"map_checksum", 0x13355779},
                      {"random_seed", 0x12345678},
                      {"start_spots", 2},
                      {"extra_word", 0},
                      {"extra_dword", 0},
                      {"map_data_loaded", false}};
  const auto slot = [](int id, const char* name, int team, int colour, int race,
                       const char* raceText, int handicap) {
    return Json{{"player_id", id},
                {"player", name},
                {"status", Coded(2, "used")},
                {"human", true},
                {"team", team},
                {"colour", colour},
                {"race", {{"flags", race}, {"text", raceText}}},
                {"ai_strength", 1},
                {"handicap", handicap},
                {"download_status", 100}};
  };
  expected["slots"] = {slot(1, "Alder", 0, 0, 1, "Human", 100),
                       slot(2, "Brisk", 1, 3, 2, "Orc", 90)};
  const Json none = Json::array();
  expected["players"] = {{{"id", 1},
                          {"name", "Alder"},
                          {"record_id", 0},
                          {"extra_value", 0},
                          {"race", {{"flags", 1}, {"text", "Human"}}},
                          {"slot", 0},
                          {"team", 0},
                          {"colour", 0},
                          {"handicap", 100},
                          {"human", true},
                          {"actions", 5},
                          {"apm", 1200.0},  // 5 actions in 0.25 s
                          {"time_in_game_ms", 250},
                          {"time_in_game", "0:00:00.250"},
                          {"winner", false},
                          {"heroes",
                           {{{"id", "Hpal"},
                             {"name", "Paladin"},
                             {"time_ms", 100},
                             {"time", "0:00:00.100"},
                             {"skills", {Named("AHhb", "Holy Light", 100, "0:00:00.100")}},
                             {"summons", {{{"time_ms", 100}, {"time", "0:00:00.100"}}}}}}},
                          {"units", none},
                          {"buildings", none},
                          {"upgrades", none},
                          {"skills", {Named("AHhb", "Holy Light", 100, "0:00:00.100")}},
                          {"items", none}},
                         {{"id", 2},
                          {"name", "Brisk"},
                          {"record_id", 0x16},
                          {"extra_value", 0},
                          {"race", {{"flags", 2}, {"text", "Orc"}}},
                          {"slot", 1},
                          {"team", 1},
                          {"colour", 3},
                          {"handicap", 90},
                          {"human", true},
                          {"actions", 3},
                          {"apm", 720.0},
                          {"time_in_game_ms", 250},
                          {"time_in_game", "0:00:00.250"},
                          {"winner", true},
                          {"heroes", none},
                          {"units", {Named("hpea", "Peasant", 250, "0:00:00.250")}},
                          {"buildings", {Named("hbar", "Barracks", 250, "0:00:00.250")}},
                          {"upgrades", none},
                          {"skills", none},
                          {"items", none}}};
  expected["chat"] = {{{"time_ms", 250},
                       {"time", "0:00:00.250"},
                       {"player", 2},
                       {"player_name", "Brisk"},
                       {"mode", Coded(0, "to all")},
                       {"text", "gg"}}};
  const auto leave = [](int player, const char* name, int reason, const char* text, int result) {
    return Json{{"time_ms", 250},      {"time", "0:00:00.250"},         {"player", player},
                {"player_name", name}, {"reason", Coded(reason, text)}, {"result", result},
                {"unknown", 0}};
  };
  expected["leaves"] = {leave(2, "Brisk", 1, "Connection closed by REMOTE game", 9),
                        leave(1, "Alder", 12, "Connection closed by LOCAL game", 8)};

  const auto entry = [](int64_t ms, const char* time, int player, const char* kind, bool counted,
                        Json actionId, Json fields) {
    return Json{{"time_ms", ms},    {"time", time},       {"player", player},
                {"kind", kind},     {"counted", counted}, {"action_id", actionId},
                {"fields", fields}, {"text", nullptr}};
  };
  const auto ability = [](const char* id, const char* name, int event, const char* eventText) {
    return Json{{"flags", 0x40},
                {"item", {{"id", id}, {"name", name}}},
                {"unknown_a", kNone},
                {"unknown_b", kNone},
                {"event", Coded(event, eventText)}};
  };
  const char* t1 = "0:00:00.100";
  const char* t2 = "0:00:00.250";
  Json actions = {
      entry(100, t1, 1, "command", true, 0x10, ability("Hpal", "Paladin", 2, "Summon hero")),
      entry(100, t1, 1, "command", true, 0x61, nullptr),
      entry(100, t1, 1, "command", true, 0x10, ability("AHhb", "Holy Light", 3, "Learn skill")),
      entry(100, t1, 1, "command", true, 0x61, nullptr),
      entry(100, t1, 1, "command", true, 0x10, ability("Hpal", "Paladin", 2, "Summon hero")),
      entry(250, t2, 2, "command", true, 0x11,
            {{"flags", 0x40},
             {"item", {{"id", "hbar"}, {"name", "Barracks"}}},
             {"unknown_a", kNone},
             {"unknown_b", kNone},
             {"x", 1.5},
             {"y", -2.0},
             {"event", Coded(8, "Build")}}),
      entry(250, t2, 2, "command", true, 0x10, ability("hpea", "Peasant", 1, "Train unit")),
      entry(250, t2, 2, "command", true, 0x12,
            {{"flags", 0x40},
             {"item", {{"id", "0x000D0003"}, {"name", "rightclick"}}},
             {"unknown_a", kNone},
             {"unknown_b", kNone},
             {"x", 64.0},
             {"y", 32.0},
             {"object1", 7},
             {"object2", 8}}),
      entry(250, t2, 2, "chat", false, nullptr, {{"mode", Coded(0, "to all")}, {"text", "gg"}}),
      entry(250, t2, 2, "leave", false, nullptr,
            {{"reason", Coded(1, "Connection closed by REMOTE game")},
             {"result", 9},
             {"unknown", 0}}),
      entry(250, t2, 1, "leave", false, nullptr,
            {{"reason", Coded(12, "Connection closed by LOCAL game")},
             {"result", 8},
             {"unknown", 0}})};
  // Every entry of this game has a text; they are the library's text list, in order.
  size_t index = 0;
  for (const TextNode* node = info.Texts; node != nullptr; node = node->Next, ++index) {
    ASSERT_LT(index, actions.size());
    actions[index]["text"] = node->Text;
  }
  EXPECT_EQ(index, actions.size());
  expected["actions"] = actions;
  expected["error"] = nullptr;

  const Json document = quorvel::cli::ReplayJson(info, {true, nullptr});
  EXPECT_EQ(document, expected) << "got:\n"
                                << document.dump(2) << "\nexpected:\n"
                                << expected.dump(2);
  // Without --actions only the entry list is left out.
  Json withoutActions = expected;
  withoutActions.erase("actions");
  EXPECT_EQ(quorvel::cli::ReplayJson(info, {false, nullptr}), withoutActions);
}

std::vector<CorpusReplay> Rows() {
  return testsupport::OrAbsentRow(CorpusReplays());
}

class CorpusJson : public testing::TestWithParam<CorpusReplay> {};

// Whatever a real replay holds - any script, cut games, later versions - its document is JSON
// that reads back with one entry per player and per action.
TEST_P(CorpusJson, DocumentParsesBack) {
  const CorpusReplay& replay = GetParam();
  if (replay.path.empty()) GTEST_SKIP() << "the corpus folder is absent (set QUORVEL_CORPUS)";
  vantrel::ReplayParser parser;
  GeneralInfo info{};
  ParserData request{};
  request.GeneralInfo = &info;
  if (!parser.ParseReplay(&request, replay.path.c_str()))
    GTEST_SKIP() << "not read: " << (info.ErrorText != nullptr ? info.ErrorText : "not a replay");
  const std::string text = quorvel::cli::JsonLine(quorvel::cli::ReplayJson(info, {true, nullptr}));
  const nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
  ASSERT_FALSE(document.is_discarded()) << replay.file;
  EXPECT_EQ(document["players"].size(), static_cast<size_t>(std::max(info.PlayerCount, 0)));
  size_t entries = 0;
  for (const ActionRecord* action = info.Actions; action != nullptr; action = action->Next)
    ++entries;
  EXPECT_EQ(document["actions"].size(), entries);
  EXPECT_EQ(document["header"]["build"], info.BuildNumber);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusJson, testing::ValuesIn(Rows()),
                         [](const testing::TestParamInfo<CorpusReplay>& info) {
                           return CorpusTestName(info.param);
                         });

}  // namespace
