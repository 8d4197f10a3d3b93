#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "services/analysis_tables.h"
#include "services/desktop.h"
#include "services/prompt.h"
#include "services/replay_context.h"

class QLabel;
class QProgressBar;
class QTableWidget;
class QToolButton;
struct CLog;
struct TMPQDataReader;

// The program's version as its caption and log show it.
inline constexpr char kProgramVersion[] = "1.2";
// The pictures the window loads at start, in the order the views address them.
inline constexpr int kPictureCount = 24;

// How start-up ended.
enum class StartupResult {
  Running,  // the window runs (possibly reduced, after a parser version mismatch)
  ExitNow,  // the program ends at once with exit code -1
};

// The main window: start-up and shutdown, the analysis of one replay, the general information
// and players grids.
class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // `startArgument` is the command line after the program name.
  TForm1(Prompter& prompter, Desktop& desktop, std::string startArgument);
  ~TForm1() override;

  // The start-up sequence. The program ends with exit code -1 when it answers ExitNow.
  StartupResult FormCreate();
  // The shutdown: configuration written back, the held result released, the parser unloaded.
  void FormDestroy();

  // Analyses the replay at `path` and shows it.
  void Analyse(const std::string& path);
  // Sorts the players grid as the "Сортировка" menu item does.
  void SortPlayers(PlayerSort sort);
  // Opens the ladder profile of the player in `row` at the gateway of the menu's `item`.
  void SearchProfile(int row, int item);

  TQuorvel_Is_Here& context() { return *context_; }
  QTableWidget* generalGrid() const { return generalGrid_; }
  QTableWidget* playersGrid() const { return playersGrid_; }
  QWidget* mainPanel() const { return mainPanel_; }
  QToolButton* mapWarning() const { return mapWarning_; }
  QLabel* pageLabel() const { return pageLabel_; }
  const QPixmap& picture(int index) const { return pictures_[static_cast<size_t>(index)]; }
  bool quickView() const { return quickView_; }
  void setQuickView(bool on) { quickView_ = on; }
  // The colours of the twelve graph series (0xBBGGRR), by player id - 1.
  const std::array<uint32_t, 12>& seriesColours() const { return seriesColours_; }

 private:
  void BuildWidgets();
  void CreateDataReader();
  void LogConfiguration();
  void LoadPictures();
  void LoadSkin();
  void RunStartArgument();
  void Lock();
  void Unlock();
  void FillGeneralGrid(const std::vector<InfoRow>& rows);
  void FillPlayersGrid();
  void PaintPlayerRow(int row);
  void ShowPlayersMenu(const QPoint& position);

  Prompter& prompter_;
  Desktop& desktop_;
  std::string startArgument_;
  std::unique_ptr<TQuorvel_Is_Here> context_;
  std::unique_ptr<CLog> log_;
  std::unique_ptr<TMPQDataReader> reader_;
  std::array<QPixmap, kPictureCount> pictures_;
  std::string systemInformation_;
  int apmInterval_ = 60;
  int pageCounter_ = 1;
  int actionPageStart_ = 0;
  bool graphPending_ = false;
  bool quickView_ = false;
  bool started_ = false;  // start-up ran far enough for the shutdown to run
  std::string pendingAnalysis_;
  std::vector<PlayerRow> playerRows_;
  std::array<uint32_t, 12> seriesColours_{};

  QWidget* mainPanel_ = nullptr;
  QTableWidget* generalGrid_ = nullptr;
  QTableWidget* playersGrid_ = nullptr;
  QLabel* loadingPanel_ = nullptr;
  QToolButton* mapWarning_ = nullptr;
  QLabel* pageLabel_ = nullptr;
  QProgressBar* pageProgress_ = nullptr;
};
