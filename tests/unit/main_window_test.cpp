// The main window on the offscreen platform, driven through its prompter.
#include "main_window.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

#include "single_instance.h"
#include "support/corpus.h"
#include "support/recording_prompter.h"
#include "support/sample_replay.h"
#include "support/scoped_env.h"
#include "support/standard_archives.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RecordingDesktop;
using testsupport::RecordingPrompter;
using testsupport::ScopedEnv;
using testsupport::TempDir;

const fs::path kBuiltProgram = QUORVEL_PROGRAM_DIR;

void StartApplication() {
  if (qApp != nullptr) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "gui_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

// A program folder of the test's own: the built program's files linked in, its own
// configuration, registry and log.
class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { StartApplication(); }

  MainWindowTest()
      : program_("QUORVEL_PROGRAM_DIR", dir_.File("program").c_str()),
        registry_("QUORVEL_REGISTRY", dir_.File("registry.ini").c_str()),
        wine_("WINEPREFIX", dir_.File("no-wine").c_str()) {
    fs::create_directories(Program());
    for (const char* item : {"libvantrel.so", "Skin", "StandartMaps.qvh"}) {
      fs::create_symlink(kBuiltProgram / item, Program() / item);
    }
    // Game data archives that hold every text the reader needs, and no objects.
    testsupport::WriteArchives((Program() / "ParserData").string(),
                               testsupport::StandardMembers({}));
    fs::create_symlink(kBuiltProgram / "ParserData/libostrak.so",
                       Program() / "ParserData/libostrak.so");
    std::string ini = testsupport::ReadText(QUORVEL_SOURCE_DIR "/data/Quorvel.ini");
    ini.replace(ini.find("parser_log=0"), 12, "parser_log=1");
    std::ofstream(Program() / "Quorvel.ini") << ini;
    fs::copy_file(fs::path(QUORVEL_SOURCE_DIR) / "data/qhint.qvh", Program() / "qhint.qvh");
  }

  fs::path Program() const { return dir_.File("program"); }

  std::unique_ptr<TForm1> Start(StartupResult expected = StartupResult::Running,
                                const std::string& argument = "") {
    auto window = std::make_unique<TForm1>(prompter_, desktop_, argument);
    EXPECT_EQ(window->FormCreate(), expected) << testing::PrintToString(prompter_.Texts());
    return window;
  }

  static std::string Cell(QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item != nullptr ? item->text().toStdString() : "";
  }
  static std::vector<std::string> Column(QTableWidget* grid, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < grid->rowCount(); ++row)
      cells.push_back(Cell(grid, row, column));
    return cells;
  }
  // The value of the general information row with `key`.
  static std::string Info(QTableWidget* grid, const std::string& key) {
    for (int row = 0; row < grid->rowCount(); ++row) {
      if (Cell(grid, row, 0) == key) return Cell(grid, row, 1);
    }
    return "<no row " + key + ">";
  }

  TempDir dir_;
  ScopedEnv program_;
  ScopedEnv registry_;
  ScopedEnv wine_;
  RecordingPrompter prompter_;
  RecordingDesktop desktop_;
};

TEST_F(MainWindowTest, StartsWithTheDeliveredFilesAndAsksNothing) {
  auto window = Start();
  ASSERT_FALSE(HasFailure());
  EXPECT_TRUE(prompter_.asked.empty()) << testing::PrintToString(prompter_.Texts());
  EXPECT_EQ(window->windowTitle().toStdString(), "Quorvel 1.2 / Harrier (beta version)");
  EXPECT_EQ(window->playersGrid()->horizontalHeaderItem(2)->text().toStdString(), "Имя");
  EXPECT_FALSE(window->picture(0).isNull());
  EXPECT_FALSE(window->picture(23).isNull());
  // The first start records the program folder.
  std::ifstream registry(dir_.File("registry.ini"));
  const std::string text((std::istreambuf_iterator<char>(registry)), {});
  EXPECT_NE(text.find(Program().string() + "/"), std::string::npos) << text;
  const std::string log = testsupport::ReadText((Program() / "quorvel.log").string());
  EXPECT_NE(log.find("General: Start MPQDataReader(quorvel directory)...\n"), std::string::npos);
  EXPECT_NE(log.find("General: Load complete\n"), std::string::npos);
}

TEST_F(MainWindowTest, WithoutGameDataEveryMissingArchiveIsAskedAbout) {
  for (const char* archive : {"war3.mpq", "war3x.mpq", "war3xlocal.mpq", "war3Patch.mpq"}) {
    fs::remove(Program() / "ParserData" / archive);
  }
  prompter_.fallback = PromptAnswer::Yes;
  auto window = Start();
  ASSERT_FALSE(HasFailure());
  const std::vector<std::string> texts = prompter_.Texts();
  ASSERT_GE(texts.size(), 5u);
  EXPECT_EQ(texts[0].rfind("Ошибка при чтении данных из MPQ архива. Код: ", 0), 0u) << texts[0];
  EXPECT_EQ(prompter_.asked[0].caption, "Ошибка");
  for (size_t i = 1; i <= 4; ++i) {
    EXPECT_NE(texts[i].find("Не найдет файл: " + Program().string() + "/ParserData/"),
              std::string::npos)
        << texts[i];
  }
}

TEST_F(MainWindowTest, AnsweringNoToAMissingFileEndsTheProgram) {
  fs::remove(Program() / "StandartMaps.qvh");
  prompter_.fallback = PromptAnswer::No;
  Start(StartupResult::ExitNow);
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_NE(prompter_.asked[0].text.find("StandartMaps.qvh"), std::string::npos);
}

TEST_F(MainWindowTest, AParserOfAnotherVersionStopsTheStartUp) {
  fs::remove(Program() / "libvantrel.so");
  fs::create_symlink(fs::path(QUORVEL_TEST_BINARY_DIR) / "libfake_parser_old.so",
                     Program() / "libvantrel.so");
  const std::string replay = dir_.Write("sample.w3g", testsupport::SampleReplay());
  auto window = Start(StartupResult::Running, replay);
  ASSERT_FALSE(HasFailure());
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.asked[0].text, "Версия интерфейса: 1:23\n\r Версия парсера: 1:22");
  EXPECT_EQ(prompter_.asked[0].caption, "Ошибка: Версия парсера не совпадает!!");
  // The rest of the start-up did not run: no caption, no replay analysed.
  EXPECT_EQ(window->windowTitle().toStdString(), "Quorvel");
  EXPECT_EQ(window->generalGrid()->rowCount(), 0);
  // A later analysis is refused with the same message and leaves the window disabled.
  window->Analyse(replay);
  ASSERT_EQ(prompter_.asked.size(), 2u);
  EXPECT_EQ(prompter_.asked[1].text, prompter_.asked[0].text);
  EXPECT_FALSE(window->mainPanel()->isEnabled());
  EXPECT_FALSE(window->context().Busy);
  EXPECT_EQ(window->generalGrid()->rowCount(), 0);
}

TEST_F(MainWindowTest, AnalysesTheReplayOfTheCommandLine) {
  const std::string replay = dir_.Write("sample.w3g", testsupport::SampleReplay());
  auto window = Start(StartupResult::Running, "\"" + replay + "\"");
  ASSERT_FALSE(HasFailure());
  EXPECT_TRUE(prompter_.asked.empty()) << testing::PrintToString(prompter_.Texts());
  QTableWidget* general = window->generalGrid();
  EXPECT_EQ(general->horizontalHeaderItem(1)->text().toStdString(), "sample.w3g");
  EXPECT_EQ(Info(general, "Карта"), "Maps\\FrozenThrone\\(2)EchoIsles.w3x");
  EXPECT_EQ(Info(general, "Версия"), "1.26");
  EXPECT_EQ(Info(general, "Продолжительность"), "0:2:0");
  EXPECT_EQ(Info(general, "Кол-во игроков"), "2");
  QTableWidget* players = window->playersGrid();
  EXPECT_EQ(Column(players, kColumnName),
            (std::vector<std::string>{"Alder", "Brisk", "Закрыто", "Закрыто"}));
  EXPECT_EQ(Column(players, kColumnColour),
            (std::vector<std::string>{"red", "blue", "none", "none"}));
  EXPECT_EQ(Column(players, kColumnResult), (std::vector<std::string>{"Defeat", "Win", "", ""}));
  EXPECT_EQ(players->item(0, kColumnColour)->background().color(), QColor(255, 0, 0));
  EXPECT_TRUE(window->mainPanel()->isEnabled());
  EXPECT_FALSE(window->context().Busy);
  EXPECT_TRUE(window->mapWarning()->isVisibleTo(window.get()));
  EXPECT_EQ(window->windowTitle().toStdString(), replay + " / Harrier (beta version)");

  window->SortPlayers(PlayerSort::Race);
  EXPECT_EQ(Column(players, kColumnRace),
            (std::vector<std::string>{"Orc", "Human", "Undefined", "Undefined"}));
  window->SortPlayers(PlayerSort::Slots);
  EXPECT_EQ(Column(players, kColumnSlot), (std::vector<std::string>{"1", "2", "3", "4"}));

  window->SearchProfile(1, 0);
  ASSERT_EQ(desktop_.opened.size(), 1u);
  EXPECT_EQ(desktop_.opened[0],
            "https://classic.battle.net/war3/ladder/w3xp-player-profile.aspx?Gateway=Northrend&"
            "PlayerName=Brisk");
}

TEST_F(MainWindowTest, MissingAndDamagedFilesKeepWhatIsShown) {
  auto window = Start();
  ASSERT_FALSE(HasFailure());
  const testsupport::Bytes sample = testsupport::SampleReplay();
  window->Analyse(dir_.Write("sample.w3g", sample));
  ASSERT_EQ(window->playersGrid()->rowCount(), 4);

  window->Analyse(dir_.File("missing.w3g"));
  EXPECT_TRUE(prompter_.asked.empty());
  EXPECT_NE(testsupport::ReadText((Program() / "quorvel.log").string())
                .find("General: Analysis-FileNotExists: " + dir_.File("missing.w3g") + "\n"),
            std::string::npos);

  testsupport::Bytes damaged = sample;
  damaged[68 + 8 + 4] ^= 0xFF;
  window->Analyse(dir_.Write("damaged.w3g", damaged));
  EXPECT_EQ(prompter_.Texts(), std::vector<std::string>{"Не удается распаковать w3g файл"});
  EXPECT_EQ(Cell(window->playersGrid(), 0, kColumnName), "Alder");
  EXPECT_TRUE(window->mainPanel()->isEnabled());
  EXPECT_FALSE(window->context().Busy);
}

TEST_F(MainWindowTest, QuickViewShowsPlayersWithoutStatistics) {
  auto window = Start();
  ASSERT_FALSE(HasFailure());
  window->setQuickView(true);
  window->Analyse(dir_.Write("sample.w3g", testsupport::SampleReplay()));
  EXPECT_EQ(Column(window->playersGrid(), kColumnApm),
            (std::vector<std::string>{"0", "0", "0", "0"}));
  EXPECT_EQ(Column(window->playersGrid(), kColumnResult),
            (std::vector<std::string>{"", "", "", ""}));
  EXPECT_FALSE(window->context().IsParsed);
}

// A real replay: the grids hold what another program read from it.
TEST_F(MainWindowTest, ACorpusReplayFillsTheGrids) {
  const std::string corpus = testsupport::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "the corpus folder is absent (set QUORVEL_CORPUS)";
  std::ifstream peerFile(corpus + "/peer-w3gjs/fornever-w3gparser__1.18.w3g.json");
  const nlohmann::json peer = nlohmann::json::parse(peerFile);
  auto window = Start();
  ASSERT_FALSE(HasFailure());
  window->Analyse(corpus + "/fornever-w3gparser/1.18.w3g");
  EXPECT_TRUE(prompter_.asked.empty()) << testing::PrintToString(prompter_.Texts());
  QTableWidget* general = window->generalGrid();
  EXPECT_EQ(Info(general, "Версия"), "1.18");
  EXPECT_EQ(Info(general, "Имя игры"), peer["gameName"]);
  EXPECT_EQ(Info(general, "Автор карты"), peer["creator"]);
  QTableWidget* players = window->playersGrid();
  std::map<std::string, std::string> resultOfTeam;
  int checked = 0;
  for (const auto& player : peer["players"]) {
    for (int row = 0; row < players->rowCount(); ++row) {
      if (Cell(players, row, kColumnName) != player["name"]) continue;
      ++checked;
      EXPECT_EQ(Cell(players, row, kColumnTeam), std::to_string(player["teamid"].get<int>() + 1));
      // Everyone of a team shares its result.
      const std::string result = Cell(players, row, kColumnResult);
      EXPECT_TRUE(result == "Win" || result == "Defeat") << result;
      const auto [known, added] = resultOfTeam.emplace(Cell(players, row, kColumnTeam), result);
      EXPECT_EQ(known->second, result);
      const double apm = std::stod(Cell(players, row, kColumnApm));
      EXPECT_NEAR(apm, player["apm"].get<double>(), player["apm"].get<double>() * 0.1)
          << player["name"];
    }
  }
  EXPECT_EQ(checked, static_cast<int>(peer["players"].size()));
  // The observers of this game sit in team 12 and show as team 13.
  for (const auto& observer : peer["observers"]) {
    for (int row = 0; row < players->rowCount(); ++row) {
      if (Cell(players, row, kColumnName) == observer) {
        EXPECT_EQ(Cell(players, row, kColumnTeam), "13");
        EXPECT_EQ(Cell(players, row, kColumnResult), "");
      }
    }
  }
  // A picture of the analysed window for whoever reviews the program.
  window->resize(1100, 760);
  window->show();
  QApplication::processEvents();
  EXPECT_TRUE(window->grab().save(QUORVEL_TEST_BINARY_DIR "/main_window.png"));
}

TEST(SingleInstance, ASecondCopyIsRefused) {
  TempDir dir;
  const ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path().c_str());
  fs::permissions(dir.path(), fs::perms::owner_all, fs::perm_options::replace);
  StartApplication();
  std::unique_ptr<QLockFile> first = TakeInstanceLock();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(TakeInstanceLock(), nullptr);
  first.reset();
  EXPECT_NE(TakeInstanceLock(), nullptr);
}

}  // namespace
