// The skin delivered in the program folder: the default style sheet parses, and the 24 pictures
// the program loads at start are there, readable, of their size, and drawn on the colour the
// program makes transparent.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QString>
#include <QStringList>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>
#include <ostream>
#include <vector>

namespace {

const QString kProgramDir = QStringLiteral(QUORVEL_PROGRAM_DIR);

// --- the style sheet ---

QStringList g_warnings;

void RecordWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtWarningMsg || type == QtCriticalMsg) g_warnings << message;
}

// One application for the whole test program, gone before main returns: Qt must not be torn
// down by static destructors.
class QtApplication : public testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[11] = "skin_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] testing::Environment* const kQtApplication =
    testing::AddGlobalTestEnvironment(new QtApplication);

// One widget of every kind the sheet styles, shown, so that the sheet is parsed and applied.
void ShowEveryWidget() {
  QMainWindow window;
  QMenu* file = window.menuBar()->addMenu("File");
  file->addAction("Open");
  file->addSeparator();
  file->addAction("Quit")->setEnabled(false);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(new QPushButton("Push"));
  auto* disabled = new QPushButton("Disabled");
  disabled->setEnabled(false);
  layout->addWidget(disabled);
  layout->addWidget(new QLineEdit("line"));
  auto* combo = new QComboBox;
  combo->addItems({"one", "two"});
  layout->addWidget(combo);

  auto* table = new QTableWidget(3, 3);
  table->setHorizontalHeaderLabels({"a", "b", "c"});
  table->setItem(0, 0, new QTableWidgetItem("cell"));
  auto* tree = new QTreeWidget;
  auto* root = new QTreeWidgetItem(tree, QStringList{"root"});
  new QTreeWidgetItem(root, QStringList{"child"});
  auto* list = new QListWidget;
  list->addItems({"first", "second"});

  auto* tabs = new QTabWidget;
  tabs->addTab(table, "Table");
  tabs->addTab(tree, "Tree");
  tabs->addTab(list, "List");
  layout->addWidget(tabs);

  auto* group = new QGroupBox("Group");
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(new QCheckBox("Check"));
  layout->addWidget(group);

  window.setCentralWidget(central);
  auto* progress = new QProgressBar;
  progress->setValue(40);
  window.statusBar()->addWidget(new QLabel("Ready"));
  window.statusBar()->addPermanentWidget(progress);
  window.resize(400, 500);
  window.show();
  QApplication::processEvents();

  file->popup(window.mapToGlobal(QPoint(0, 0)));
  QToolTip::showText(window.mapToGlobal(QPoint(10, 10)), "tip<br>second line", &window);
  QApplication::processEvents();
  file->hide();
  QToolTip::hideText();
  QApplication::processEvents();
}

// The warnings Qt gives while the sheet is applied to every kind of widget.
QStringList WarningsWhileApplying(const QString& sheet) {
  g_warnings.clear();
  const QtMessageHandler previous = qInstallMessageHandler(RecordWarning);
  qApp->setStyleSheet(sheet);
  ShowEveryWidget();
  qApp->setStyleSheet(QString());
  qInstallMessageHandler(previous);
  return g_warnings;
}

QStringList ParseWarnings(const QStringList& warnings) {
  QStringList found;
  for (const QString& warning : warnings) {
    if (warning.contains("Could not parse") || warning.contains("Unknown property")) {
      found << warning;
    }
  }
  return found;
}

TEST(GrayPlasticSheet, ParsesWithoutWarnings) {
  QFile file(kProgramDir + "/Skin/GrayPlastic.qss");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
  const QString sheet = QString::fromUtf8(file.readAll());
  ASSERT_FALSE(sheet.trimmed().isEmpty());

  const QStringList problems = ParseWarnings(WarningsWhileApplying(sheet));
  EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
}

// Without this the test above could pass because Qt never looked at the sheet.
TEST(GrayPlasticSheet, BrokenSheetIsNoticed) {
  const QStringList problems =
      ParseWarnings(WarningsWhileApplying("QPushButton { color: red; } QLineEdit { {"));
  EXPECT_FALSE(problems.isEmpty());
}

// --- the pictures ---

enum class Transparent { kNone, kBlack, kWhite, kBottomLeftPixel };

struct PictureRow {
  const char* path;  // below Skin/Tarnwick/ of the program folder
  int size;
  Transparent transparent;
};

void PrintTo(const PictureRow& row, std::ostream* out) {
  *out << row.path;
}

// In the order the program loads them.
const PictureRow kPictures[] = {
    {"RacesIcon/Orcs.bmp", 20, Transparent::kNone},
    {"RacesIcon/Human.bmp", 20, Transparent::kNone},
    {"RacesIcon/Undead.bmp", 20, Transparent::kNone},
    {"RacesIcon/Elves.bmp", 20, Transparent::kNone},
    {"RacesIcon/Random.bmp", 20, Transparent::kNone},
    {"RacesIcon/referee.bmp", 20, Transparent::kNone},
    {"RacesIcon/Win.bmp", 20, Transparent::kNone},
    {"RacesIcon/Loose.bmp", 20, Transparent::kNone},
    {"ActionIcon/Build.bmp", 16, Transparent::kNone},
    {"ActionIcon/Chat.bmp", 16, Transparent::kNone},
    {"ActionIcon/Hero.bmp", 16, Transparent::kNone},
    {"ActionIcon/Item.bmp", 16, Transparent::kNone},
    {"ActionIcon/Skill.bmp", 16, Transparent::kNone},
    {"ActionIcon/Undefined.bmp", 16, Transparent::kNone},
    {"ActionIcon/Unit.bmp", 16, Transparent::kNone},
    {"ActionIcon/Upgrade.bmp", 16, Transparent::kNone},
    {"OtherIcon/File.bmp", 16, Transparent::kBlack},
    {"OtherIcon/Folder.bmp", 16, Transparent::kBlack},
    {"OtherIcon/cd.bmp", 16, Transparent::kBlack},
    {"OtherIcon/floppy.bmp", 16, Transparent::kBlack},
    {"OtherIcon/hdd.bmp", 16, Transparent::kBlack},
    {"OtherIcon/up.bmp", 16, Transparent::kWhite},
    {"OtherIcon/TTT.bmp", 16, Transparent::kBottomLeftPixel},
    {"OtherIcon/Star.bmp", 16, Transparent::kBottomLeftPixel},
};

QString PicturePath(const char* path) {
  return kProgramDir + "/Skin/Tarnwick/" + path;
}

QImage LoadPicture(const char* path) {
  return QImage(PicturePath(path), "BMP").convertToFormat(QImage::Format_RGB32);
}

class SkinPicture : public testing::TestWithParam<PictureRow> {};

TEST_P(SkinPicture, IsA24BitBitmapOfItsSize) {
  QFile file(PicturePath(GetParam().path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
  const QByteArray bytes = file.readAll();
  ASSERT_GE(bytes.size(), 30);
  EXPECT_EQ(bytes.left(2), QByteArray("BM"));
  // Bits per pixel of the info header.
  EXPECT_EQ(static_cast<unsigned char>(bytes[28]) | static_cast<unsigned char>(bytes[29]) << 8, 24);

  const QImage image = LoadPicture(GetParam().path);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.width(), GetParam().size);
  EXPECT_EQ(image.height(), GetParam().size);
}

TEST_P(SkinPicture, HasSeveralColours) {
  const QImage image = LoadPicture(GetParam().path);
  ASSERT_FALSE(image.isNull()) << GetParam().path;
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      colours.insert(image.pixel(x, y));
  }
  EXPECT_GT(colours.size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Tarnwick, SkinPicture, testing::ValuesIn(kPictures));

// A transparent picture stands on its transparent colour: its top corners show what lies behind.
class TransparentSkinPicture : public testing::TestWithParam<PictureRow> {};

TEST_P(TransparentSkinPicture, StandsOnItsTransparentColour) {
  const QImage image = LoadPicture(GetParam().path);
  ASSERT_FALSE(image.isNull()) << GetParam().path;
  const int last = image.width() - 1;
  QRgb key = image.pixel(0, last);
  if (GetParam().transparent == Transparent::kBlack) key = qRgb(0, 0, 0);
  if (GetParam().transparent == Transparent::kWhite) key = qRgb(255, 255, 255);
  EXPECT_EQ(image.pixel(0, 0), key);
  EXPECT_EQ(image.pixel(last, 0), key);
}

std::vector<PictureRow> TransparentPictures() {
  std::vector<PictureRow> rows;
  for (const PictureRow& row : kPictures) {
    if (row.transparent != Transparent::kNone) rows.push_back(row);
  }
  return rows;
}

INSTANTIATE_TEST_SUITE_P(Tarnwick, TransparentSkinPicture,
                         testing::ValuesIn(TransparentPictures()));

// The drives box copies its pictures with pure red as transparent as well.
TEST(DrivePictures, HaveNoPureRed) {
  for (const char* path : {"OtherIcon/cd.bmp", "OtherIcon/floppy.bmp", "OtherIcon/hdd.bmp"}) {
    const QImage image = LoadPicture(path);
    ASSERT_FALSE(image.isNull()) << path;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        EXPECT_NE(image.pixel(x, y), qRgb(255, 0, 0)) << path << " at " << x << "," << y;
      }
    }
  }
}

}  // namespace
