#include "main_window.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "gamedata/log.h"
#include "gamedata/mpq_data_reader.h"
#include "platform/registry.h"
#include "services/diagnostics.h"
#include "services/program_log.h"

namespace {

constexpr char kLoadingText[] = "Загрузка данных...";
constexpr char kMapWarningHint[] =
    "Внимание! Файл карты не найден, <br>защищен или имеет неверный формат.";

// The pictures in the order the views address them, and the colour each takes as transparent.
enum class Transparency { None, Black, White, FromPicture };
struct PictureFile {
  const char* path;
  Transparency transparency;
};
constexpr PictureFile kPictures[kPictureCount] = {
    {"RacesIcon/Orcs.bmp", Transparency::None},
    {"RacesIcon/Human.bmp", Transparency::None},
    {"RacesIcon/Undead.bmp", Transparency::None},
    {"RacesIcon/Elves.bmp", Transparency::None},
    {"RacesIcon/Random.bmp", Transparency::None},
    {"RacesIcon/referee.bmp", Transparency::None},
    {"RacesIcon/Win.bmp", Transparency::None},
    {"RacesIcon/Loose.bmp", Transparency::None},
    {"ActionIcon/Build.bmp", Transparency::None},
    {"ActionIcon/Chat.bmp", Transparency::None},
    {"ActionIcon/Hero.bmp", Transparency::None},
    {"ActionIcon/Item.bmp", Transparency::None},
    {"ActionIcon/Skill.bmp", Transparency::None},
    {"ActionIcon/Undefined.bmp", Transparency::None},
    {"ActionIcon/Unit.bmp", Transparency::None},
    {"ActionIcon/Upgrade.bmp", Transparency::None},
    {"OtherIcon/File.bmp", Transparency::Black},
    {"OtherIcon/Folder.bmp", Transparency::Black},
    {"OtherIcon/cd.bmp", Transparency::Black},
    {"OtherIcon/floppy.bmp", Transparency::Black},
    {"OtherIcon/hdd.bmp", Transparency::Black},
    {"OtherIcon/up.bmp", Transparency::White},
    {"OtherIcon/TTT.bmp", Transparency::FromPicture},
    {"OtherIcon/Star.bmp", Transparency::FromPicture},
};

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

// Paints the pictures of the race and result columns over their cells.
class PlayerCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const QVariant picture = index.data(Qt::DecorationRole);
    if (!picture.canConvert<QPixmap>() || picture.value<QPixmap>().isNull()) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    const QPixmap pixmap = picture.value<QPixmap>();
    const QRect target(option.rect.left(), option.rect.top() + (option.rect.height() - 24) / 2, 24,
                       24);
    painter->drawPixmap(target, pixmap);
  }
};

}  // namespace

TForm1::TForm1(Prompter& prompter, Desktop& desktop, std::string startArgument)
    : prompter_(prompter), desktop_(desktop), startArgument_(std::move(startArgument)) {
  BuildWidgets();
}

TForm1::~TForm1() {
  if (started_) FormDestroy();
  if (reader_) reader_->CloseStandardArchives();
}

void TForm1::BuildWidgets() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  mainPanel_ = new QWidget(central);
  auto* panelLayout = new QVBoxLayout(mainPanel_);
  panelLayout->setContentsMargins(0, 0, 0, 0);

  auto* top = new QHBoxLayout;
  generalGrid_ = new QTableWidget(0, 2, mainPanel_);
  generalGrid_->setObjectName("generalGrid");
  generalGrid_->verticalHeader()->hide();
  generalGrid_->horizontalHeader()->setStretchLastSection(true);
  generalGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  generalGrid_->setColumnWidth(0, 150);
  top->addWidget(generalGrid_, 1);
  mapWarning_ = new QToolButton(mainPanel_);
  mapWarning_->setObjectName("mapWarning");
  mapWarning_->setText("!");
  mapWarning_->setToolTip(kMapWarningHint);
  mapWarning_->hide();
  top->addWidget(mapWarning_, 0, Qt::AlignTop);
  panelLayout->addLayout(top, 1);

  playersGrid_ = new QTableWidget(0, kPlayerColumnCount, mainPanel_);
  playersGrid_->setObjectName("playersGrid");
  playersGrid_->verticalHeader()->hide();
  playersGrid_->verticalHeader()->setDefaultSectionSize(26);
  playersGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  playersGrid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  playersGrid_->setItemDelegate(new PlayerCellDelegate(playersGrid_));
  playersGrid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(playersGrid_, &QWidget::customContextMenuRequested, this, &TForm1::ShowPlayersMenu);
  panelLayout->addWidget(playersGrid_, 1);

  auto* pages = new QHBoxLayout;
  pageProgress_ = new QProgressBar(mainPanel_);
  pageProgress_->setTextVisible(false);
  pageLabel_ = new QLabel("0/0", mainPanel_);
  pageLabel_->setObjectName("pageLabel");
  pages->addWidget(pageProgress_, 1);
  pages->addWidget(pageLabel_);
  panelLayout->addLayout(pages);
  layout->addWidget(mainPanel_);
  setCentralWidget(central);

  loadingPanel_ = new QLabel(tr(kLoadingText), this);
  loadingPanel_->setObjectName("loadingPanel");
  loadingPanel_->setAlignment(Qt::AlignCenter);
  loadingPanel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  loadingPanel_->setAutoFillBackground(true);
  loadingPanel_->resize(220, 60);
  loadingPanel_->hide();

  setWindowTitle("Quorvel");
  resize(900, 640);
}

StartupResult TForm1::FormCreate() {
  // The main context and its configuration.
  context_ = std::make_unique<TQuorvel_Is_Here>();
  context_->Prompts = &prompter_;
  context_->Property = std::make_shared<QUORVEL_PROPERTY>();
  ReadConfiguration(*context_->Property);
  QUORVEL_PROPERTY& property = *context_->Property;
  apmInterval_ = 60;
  pageCounter_ = 1;
  CreateDataReader();
  started_ = true;

  // The first start on this machine records where the program lives.
  const platform::RegistryStore registry;
  const std::optional<std::string> path = registry.ReadString(
      platform::RegistryRoot::CurrentUser, "Software\\Tarnwick Team\\Quorvel", "Path");
  if (path && path->empty()) {
    registry.WriteString(platform::RegistryRoot::CurrentUser, "Software\\Tarnwick Team\\Quorvel",
                         "Path", property.ProgramFolderSlash);
    // The start sound "Start.wav" plays here where the system can play sounds; this build has
    // no sound output, so the first start is silent.
  }

  LogConfiguration();
  if (log_) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    ScreenFacts facts;
    if (screen != nullptr) {
      facts = {screen->size().width(), screen->size().height(), screen->depth(),
               static_cast<int>(screen->refreshRate())};
    }
    systemInformation_ =
        BuildSystemInformation(log_.get(), ReadSystemFacts(facts, property.WarcraftFolder));
  }
  LogPrintf(log_.get(), "VersionInfo: Quorvel: %s\n", kProgramVersion);
  LogPrintf(log_.get(), "VersionInfo: Parser: %i.%i\n", kParserMajor, kParserMinor);

  LogPrintf(log_.get(), "General: File Control...\n");
  for (const std::string& file : RequiredFiles()) {
    if (!CheckRequiredFile(property.ProgramFolderSlash, file, log_.get(), prompter_)) {
      started_ = false;
      return StartupResult::ExitNow;
    }
  }
  // The quick-information cache of the file browser is loaded here.

  QStringList titles;
  for (const char* title : kPlayerColumnTitles)
    titles << tr(title);
  playersGrid_->setHorizontalHeaderLabels(titles);
  for (int column = 0; column < kPlayerColumnCount; ++column) {
    playersGrid_->setColumnWidth(column, kPlayerColumnWidths[static_cast<size_t>(column)]);
  }

  LoadPictures();
  LoadSkin();

  switch (LoadParserLibrary(*context_)) {
    case ParserLoadResult::Missing:
      started_ = false;
      return StartupResult::ExitNow;
    case ParserLoadResult::VersionMismatch:
      return StartupResult::Running;
    case ParserLoadResult::Loaded:
      break;
  }

  // Here the replay cleaner runs over the replays folder and the autosave timer starts; then the
  // file browser opens Last_Directory, the game-card templates, the standard map list and the
  // favourites are loaded.

  setWindowTitle(QString("Quorvel ") + kProgramVersion);
  LogPrintf(log_.get(), "General: Load complete\n");

  RunStartArgument();

  if (property.QMode) quickView_ = true;
  // The replay collection is opened here when it is used.
  setWindowTitle(windowTitle() + " / Harrier (beta version)");
  return StartupResult::Running;
}

void TForm1::CreateDataReader() {
  QUORVEL_PROPERTY& property = *context_->Property;
  const std::string dataFolder = property.ProgramFolderSlash + "ParserData/";
  const auto openLog = [&] {
    if (property.parser_log && !log_) {
      log_ = std::make_unique<CLog>((property.ProgramFolderSlash + "quorvel.log").c_str());
    }
  };

  bool firstRan = false;
  int32_t firstResult = MpqOk;
  if (IsFolder(property.WarcraftFolder) && !property.OnlyInsideMpqMode) {
    openLog();
    LogPrintf(log_.get(), "General: Start Program\n");
    LogPrintf(log_.get(), "General: Start MPQDataReader(WarCraft directory)...\n");
    reader_ = std::make_unique<TMPQDataReader>(
        DataReaderInfo{property.WarcraftFolder.c_str(), dataFolder.c_str(), log_.get()});
    firstRan = true;
    firstResult = reader_->ReadStandardData();
    if (firstResult == MpqOk) {
      context_->DataReader = reader_.get();
      context_->Log = log_.get();
      return;
    }
  }
  openLog();
  LogPrintf(log_.get(), "General: Start Program\n");
  LogPrintf(log_.get(), "General: Start MPQDataReader(quorvel directory)...\n");
  LogPrintf(log_.get(), "AdditionalInfo: Configuration->WarCraftDir: %s\n",
            property.WarcraftFolder.c_str());
  if (firstRan) LogPrintf(log_.get(), "AdditionalInfo: DRE_READ_STATUS_OK is false.\n");
  // The first reader's archives are closed before it goes.
  if (reader_) reader_->CloseStandardArchives();
  reader_ =
      std::make_unique<TMPQDataReader>(DataReaderInfo{nullptr, dataFolder.c_str(), log_.get()});
  const int32_t result = reader_->ReadStandardData();
  context_->DataReader = reader_.get();
  context_->Log = log_.get();
  if (result != MpqOk) {
    PromptRequest request;
    request.text =
        "Ошибка при чтении данных из MPQ архива. Код: " + std::to_string(reader_->ErrorCode) +
        "\r" + reader_->ErrorFile;
    request.caption = "Ошибка";
    prompter_.Ask(request);
  }
}

void TForm1::LogConfiguration() {
  if (!log_) return;
  const QUORVEL_PROPERTY& p = *context_->Property;
  CLog* log = log_.get();
  LogPrintf(log, "Configuration: Quorvel_Template: %s\n", p.Quorvel_Template.c_str());
  LogPrintf(log, "Configuration: My_Folder: %s\n", p.My_Folder.c_str());
  LogPrintf(log, "Configuration: Quorvel_TagPlayersTeamR: %s\n", p.Quorvel_TagPlayersTeamR.c_str());
  LogPrintf(log, "Configuration: SkinName: %s\n", p.SkinName.c_str());
  LogPrintf(log, "Configuration: Quorvel_TagPlayersVersus: %s\n",
            p.Quorvel_TagPlayersVersus.c_str());
  LogPrintf(log, "Configuration: Quorvel_TagPlayersName: %i\n", p.Quorvel_TagPlayersName);
  LogPrintf(log, "Configuration: Quorvel_DeleteDays: %i\n", p.Quorvel_DeleteDays);
  LogPrintf(log, "Configuration: Quorvel_KOP3UHA: %i\n", p.Quorvel_KOP3UHA ? 1 : 0);
  LogPrintf(log, "Configuration: Load_Skin: %i\n", p.Load_Skin ? 1 : 0);
  LogPrintf(log, "Configuration: AutoSave: %i\n", p.AutoSave ? 1 : 0);
  LogPrintf(log, "Configuration: Last_Directory: %s\n", p.Last_Directory.c_str());
  LogPrintf(log, "Configuration: w3gCleanerTypesort: %i\n", p.w3gCleanerTypesort);
  LogPrintf(log, "Configuration: ReplaysFolder: %s\n", p.ReplaysFolder.c_str());
  LogPrintf(log, "Configuration: Quorvel_w3gCleaner: %i\n", p.Quorvel_w3gCleaner ? 1 : 0);
  LogPrintf(log, "Configuration: Sort_Directory: %s\n", p.Sort_Directory.c_str());
  LogPrintf(log, "Configuration: Quorvel_TypeSort: %i\n", p.Quorvel_TypeSort);
  LogPrintf(log, "Configuration: AutoSaveMode: %i\n", p.AutoSaveMode ? 1 : 0);
  LogPrintf(log, "Configuration: QMode: %i\n", p.QMode ? 1 : 0);
  LogPrintf(log, "Configuration: OnlyInsideMpqMode: %i\n", p.OnlyInsideMpqMode ? 1 : 0);
}

void TForm1::LoadPictures() {
  LogPrintf(log_.get(), "General: LoadPictures...\n");
  const std::string folder = context_->Property->ProgramFolderSlash + "Skin/Tarnwick/";
  for (int i = 0; i < kPictureCount; ++i) {
    const PictureFile& file = kPictures[i];
    QImage image(Q(folder + file.path));
    QPixmap pixmap = QPixmap::fromImage(image);
    if (!image.isNull() && file.transparency != Transparency::None) {
      QColor transparent = Qt::black;
      if (file.transparency == Transparency::White) transparent = Qt::white;
      if (file.transparency == Transparency::FromPicture) {
        transparent = image.pixelColor(0, image.height() - 1);
      }
      pixmap.setMask(pixmap.createMaskFromColor(transparent, Qt::MaskInColor));
    }
    pictures_[static_cast<size_t>(i)] = pixmap;
  }
}

void TForm1::LoadSkin() {
  LogPrintf(log_.get(), "General: Load Skin...\n");
  const QUORVEL_PROPERTY& property = *context_->Property;
  if (!property.Load_Skin) return;
  QFile sheet(Q(property.ProgramFolderSlash + "Skin/" + property.SkinName + ".qss"));
  if (sheet.open(QIODevice::ReadOnly)) qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
}

void TForm1::RunStartArgument() {
  QUORVEL_PROPERTY& property = *context_->Property;
  if (startArgument_ == "-autosave") {
    property.AutoSave = true;
    startArgument_.clear();
    // The window goes to the tray here.
    showMinimized();
  }
  if (startArgument_.empty()) return;
  LogPrintf(log_.get(), "General: OpenReplay (InLoad)\n");
  std::string path = startArgument_;
  // A quoted path, as a file association passes it, loses its first and last character.
  if (path.front() == '"') path = path.size() >= 2 ? path.substr(1, path.size() - 2) : "";
  Analyse(path);
  setWindowTitle(Q(path));
}

void TForm1::FormDestroy() {
  if (!context_) return;
  started_ = false;
  LogPrintf(log_.get(), "General: Save Configuration...\n");
  WriteConfiguration(*context_->Property);
  // The favourites are saved here.
  LogPrintf(log_.get(), "General: FreeMemory, UnloadParser, SaveConfiguration...\n");
  // The quick-information cache is saved here, and the browser's folder as Last_Directory.
  UnloadParserLibrary(*context_);
  LogPrintf(log_.get(), "General: halt done. Farewell :)\n");
}

void TForm1::Lock() {
  mainPanel_->setEnabled(false);
  loadingPanel_->move((width() - loadingPanel_->width()) / 2,
                      (height() - loadingPanel_->height()) / 2);
  loadingPanel_->show();
  loadingPanel_->raise();
  // The overlay appears before the work starts; input waits.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm1::Unlock() {
  loadingPanel_->hide();
  mainPanel_->setEnabled(true);
}

void TForm1::Analyse(const std::string& path) {
  TQuorvel_Is_Here& context = *context_;
  if (path == context.ReplayPath) return;
  std::error_code error;
  if (path.empty() || !std::filesystem::exists(path, error)) {
    LogPrintf(log_.get(), "General: Analysis-FileNotExists: %s\n", path.c_str());
    return;
  }
  // Only this thread sets Busy: a request that meets it comes from inside a long operation's
  // event loop, and is run once the operation is over.
  if (context.Busy) {
    pendingAnalysis_ = path;
    QTimer::singleShot(100, this, [this] {
      std::string pending;
      pending.swap(pendingAnalysis_);
      if (!pending.empty()) Analyse(pending);
    });
    return;
  }
  LogPrintf(log_.get(), "General: Start Analysis Replay\n");
  LogPrintf(log_.get(), "Analysis: FileName: %s\n", path.c_str());
  context.Busy = true;
  Lock();
  mapWarning_->hide();
  setWindowTitle(Q(path));
  LogPrintf(log_.get(), "Analysis: GetReplayInfo \n");

  const auto finish = [&](bool unlock) {
    context.Busy = false;
    if (unlock) {
      Unlock();
    } else {
      loadingPanel_->hide();
    }
  };
  // A library of another interface version is never asked to parse; the window stays disabled.
  if (context.VersionMismatch) {
    prompter_.Ask(VersionMismatchPrompt(context));
    finish(false);
    return;
  }
  const bool quick = quickView_;
  if (quick) {
    QuickOpen(context, path);
  } else {
    FullOpen(context, path);
  }
  context.Busy = true;  // the full open clears it on its way out; the run is not over
  if (!context.IsParsed) {
    // The open was refused and no earlier result is held: there is nothing to show.
    finish(true);
    return;
  }
  if (context.ParseFailed) {
    const std::string text = context.Info->ErrorText != nullptr ? context.Info->ErrorText : "";
    PromptRequest request;
    request.text = text;
    request.caption = "Ошибка парсера";
    prompter_.Ask(request);
    LogPrintf(log_.get(), "Analysis: ErrorInParser: %s\n", text.c_str());
    finish(true);
    context.ParseFailed = false;
    return;
  }

  // A map whose data could not be read is announced by the warning button; the standard maps
  // of the game are known without their files.
  if (!context.Info->IsMapDataLoad) mapWarning_->show();

  LogPrintf(log_.get(), "Analysis: Load Parser Function...\n");
  const auto gameSpeedToStr = context.ParserModule->Get<ValueToStrFunc>("GameSpeedToStr");
  LogPrintf(log_.get(), "Analysis: GeneralInformation...\n");
  const char* speed = gameSpeedToStr != nullptr ? gameSpeedToStr(context.Info->GameSpeed) : "";
  FillGeneralGrid(GeneralInformationRows(context, speed != nullptr ? speed : ""));
  playersGrid_->setRowCount(0);

  if (quick) {
    playerRows_ = PlayerRows(*context.Info, true);
    FillPlayersGrid();
    ReleaseResult(context);
    finish(true);
    return;
  }

  LogPrintf(log_.get(), "Analysis: preparations...\n");
  actionPageStart_ = 0;
  LogPrintf(log_.get(), "Analysis: Actions...\n");
  int entries = 0;
  for (const ActionRecord* action = context.Info->Actions; action != nullptr;
       action = action->Next) {
    ++entries;
  }
  LogPrintf(log_.get(), "Analysis: NumOfActions: %i\n", entries);

  playerRows_ = PlayerRows(*context.Info, false);
  ApplyResultFallback(*context.Info, playerRows_);
  FillPlayersGrid();
  LogPrintf(log_.get(), "Leave detect done...\n");

  pageProgress_->setMaximum(context.ActionLineCount);
  pageProgress_->setValue(0);
  pageLabel_->setText(
      QString("%1/%2").arg(actionPageStart_ / 50 + 1).arg(context.ActionLineCount / 50));

  // The graph's series take the colours of their players' slots.
  seriesColours_.fill(0xFFFFFF);
  for (int32_t i = 0; i < context.Info->PlayerCount; ++i) {
    const PlayerRecord& player = context.Info->Players[i];
    if (player.PlayerID >= 1 && player.PlayerID <= 12 && player.Slot != nullptr) {
      seriesColours_[player.PlayerID - 1] = ColourValue(ColourName(player.Slot->ColorNumber));
    }
  }
  graphPending_ = true;
  finish(true);
  LogPrintf(log_.get(), "Analysis: done\n");
  repaint();
}

void TForm1::FillGeneralGrid(const std::vector<InfoRow>& rows) {
  generalGrid_->setRowCount(0);
  if (rows.empty()) return;
  // The first row is the grid's fixed row.
  generalGrid_->setHorizontalHeaderLabels({tr(rows[0].key.c_str()), Q(rows[0].value)});
  generalGrid_->setRowCount(static_cast<int>(rows.size()) - 1);
  for (size_t i = 1; i < rows.size(); ++i) {
    const int row = static_cast<int>(i) - 1;
    generalGrid_->setItem(row, 0, new QTableWidgetItem(Q(rows[i].key)));
    generalGrid_->setItem(row, 1, new QTableWidgetItem(Q(rows[i].value)));
  }
}

void TForm1::FillPlayersGrid() {
  playersGrid_->setRowCount(static_cast<int>(playerRows_.size()));
  for (size_t i = 0; i < playerRows_.size(); ++i) {
    for (int column = 0; column < kPlayerColumnCount; ++column) {
      playersGrid_->setItem(
          static_cast<int>(i), column,
          new QTableWidgetItem(Q(playerRows_[i].cells[static_cast<size_t>(column)])));
    }
    PaintPlayerRow(static_cast<int>(i));
    LogPrintf(log_.get(), "Table done...\n");
  }
  // Text columns grow to what they hold, picture columns to their titles.
  for (int column = 0; column < kPlayerColumnCount; ++column) {
    const int width = kPlayerColumnWidths[static_cast<size_t>(column)];
    if (column == kColumnRace || column == kColumnResult) {
      playersGrid_->setColumnWidth(
          column, std::max(width, playersGrid_->horizontalHeader()->sectionSizeHint(column)));
    } else if (column != kColumnColour) {
      playersGrid_->resizeColumnToContents(column);
      if (playersGrid_->columnWidth(column) < width) playersGrid_->setColumnWidth(column, width);
    }
  }
}

void TForm1::PaintPlayerRow(int row) {
  const PlayerRow& values = playerRows_[static_cast<size_t>(row)];
  const std::string& colourName = values.cells[kColumnColour];
  if (ColourValue(colourName) != 0xFFFFFF || colourName == "none") {
    const uint32_t bgr = ColourValue(colourName);
    QTableWidgetItem* cell = playersGrid_->item(row, kColumnColour);
    cell->setBackground(QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF));
    cell->setForeground(Qt::transparent);
  }
  const int race = RacePicture(values.cells[kColumnRace], values.cells[kColumnTeam]);
  if (race >= 0) {
    QTableWidgetItem* cell = playersGrid_->item(row, kColumnRace);
    cell->setData(Qt::DecorationRole, pictures_[static_cast<size_t>(race)]);
    cell->setToolTip(Q(values.cells[kColumnRace]));
  }
  const int result = ResultPicture(values.cells[kColumnResult]);
  if (result >= 0) {
    QTableWidgetItem* cell = playersGrid_->item(row, kColumnResult);
    cell->setData(Qt::DecorationRole, pictures_[static_cast<size_t>(result)]);
    cell->setToolTip(Q(values.cells[kColumnResult]));
  }
}

void TForm1::SortPlayers(PlayerSort sort) {
  if (playerRows_.empty()) return;
  SortPlayerRows(playerRows_, sort);
  FillPlayersGrid();
}

void TForm1::SearchProfile(int row, int item) {
  if (row < 0 || row >= static_cast<int>(playerRows_.size())) return;
  desktop_.OpenUrl(LadderProfileUrl(context_->Property->Ladder_Host, item,
                                    playerRows_[static_cast<size_t>(row)].cells[kColumnName]));
}

void TForm1::ShowPlayersMenu(const QPoint& position) {
  QMenu menu(this);
  QMenu* sorting = menu.addMenu(tr("Сортировка"));
  for (const PlayerSortItem& item : kPlayerSortItems) {
    sorting->addAction(tr(item.title), this, [this, sort = item.sort] { SortPlayers(sort); });
  }
  QMenu* search = menu.addMenu(tr("Поиск игрока"));
  const int row = playersGrid_->currentRow();
  for (int i = 0; i < static_cast<int>(kLadderGatewayTitles.size()); ++i) {
    search->addAction(kLadderGatewayTitles[static_cast<size_t>(i)], this,
                      [this, row, i] { SearchProfile(row, i); });
  }
  menu.exec(playersGrid_->viewport()->mapToGlobal(position));
}
