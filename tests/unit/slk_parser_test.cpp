#include "gamedata/slk_parser.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gamedata/errors.h"
#include "gamedata/log.h"
#include "support/corpus.h"
#include "support/temp_dir.h"

namespace {

// Parses `text` held in a buffer of exactly its size, so that a read past its end is caught
// by the sanitizer build.
void ParseText(TSLKParser& parser, const std::string& text) {
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[text.size()]);
  std::memcpy(bytes.get(), text.data(), text.size());
  EXPECT_TRUE(parser.Parse(bytes.get(), text.size()));
}

// Every stored cell as "column,row=text", column by column.
std::vector<std::string> StoredCells(const TSLKParser& parser) {
  std::vector<std::string> cells;
  for (int32_t column = 0; column < parser.ColumnCount; ++column) {
    for (int32_t row = 0; row < parser.RowCount; ++row) {
      if (const char* text = parser.Cell(column, row)) {
        cells.push_back(std::to_string(column) + "," + std::to_string(row) + "=" + text);
      }
    }
  }
  return cells;
}

std::string MemoryErrorText(TSLKParser& parser, const std::string& text) {
  try {
    ParseText(parser, text);
  } catch (const CMemoryError& error) {
    return error.what();
  }
  return "";
}

const char kSixLines[] =
    "ID;PWXL;N;E\n"
    "B;X3;Y2;D0\n"
    "C;Y1;X1;KunitID\n"
    "C;X2;Ksort\n"
    "C;Y2;X1;Khfoo\n"
    "C;X2;Ka2\n";

struct SlkCase {
  const char* name;
  std::string text;
  int32_t columns;
  int32_t rows;
  std::vector<std::string> cells;
};

std::ostream& operator<<(std::ostream& out, const SlkCase& value) {
  return out << value.name;
}

class SlkTableTest : public ::testing::TestWithParam<SlkCase> {};

TEST_P(SlkTableTest, GivesTheCountsAndExactlyTheseCells) {
  const SlkCase& input = GetParam();
  TSLKParser parser;
  ParseText(parser, input.text);
  EXPECT_EQ(parser.ColumnCount, input.columns);
  EXPECT_EQ(parser.RowCount, input.rows);
  EXPECT_EQ(StoredCells(parser), input.cells);
}

const std::string kLongValue(1500, 'v');

INSTANTIATE_TEST_SUITE_P(
    Cases, SlkTableTest,
    ::testing::Values(
        SlkCase{"SixLines", kSixLines, 3, 2, {"0,0=unitID", "0,1=hfoo", "1,0=sort", "1,1=a2"}},
        SlkCase{"SixLinesQuotedWithCrLf",
                "ID;PWXL;N;E\r\nB;X3;Y2;D0\r\nC;Y1;X1;K\"unitID\"\r\nC;X2;K\"sort\"\r\n"
                "C;Y2;X1;K\"hfoo\"\r\nC;X2;K\"a2\"\r\nE\r\n",
                3,
                2,
                {"0,0=unitID", "0,1=hfoo", "1,0=sort", "1,1=a2"}},
        SlkCase{"NumbersStayText", "ID;P\nB;X3;Y2;D0\nC;Y2;X3;K5\n", 3, 2, {"2,1=5"}},
        SlkCase{
            "AnFRecordMovesThePosition", "ID;P\nB;X3;Y8;D0\nF;X2;Y7\nC;Kabc\n", 3, 8, {"1,6=abc"}},
        SlkCase{"ABRecordBeginningWithAnotherLetterGivesNoTable",
                "ID;P\nB;D0;X3;Y2\nC;X1;Y1;Kx\n",
                0,
                0,
                {}},
        SlkCase{"ALastLineWithoutLineFeedIsLost",
                "ID;P\nB;X2;Y2;D0\nC;X1;Y1;Ka\nC;X2;Y2;Kb",
                2,
                2,
                {"0,0=a"}},
        // X, Y and K in the B record: the record scan starts after it, where X and Y are 0.
        SlkCase{"AValueBeforeAnyXAndYIsDropped",
                "ID;P\nB;X2;Y2;K0\nC;Kabc\nC;X1;Y1;Kdef\n",
                2,
                2,
                {"0,0=def"}},
        SlkCase{"ASemicolonInsideQuotesEndsTheValue",
                "ID;P\nB;X2;Y2;D0\nC;X1;Y1;K\"a;b\"\n",
                2,
                2,
                {"0,0=a"}},
        SlkCase{"AValueRunsToTheLineEnd",
                "ID;P\nB;X2;Y2;D0\nC;X1;Y1;KFoot man\n",
                2,
                2,
                {"0,0=Foot man"}},
        SlkCase{"AnEmptyValueIsAnEmptyText", "ID;P\nB;X2;Y2;D0\nC;X1;Y1;K\"\"\n", 2, 2, {"0,0="}},
        SlkCase{"ALaterValueReplacesAnEarlierOne",
                "ID;P\nB;X2;Y2;D0\nC;X1;Y1;Kold\nC;X1;Y1;Knew\n",
                2,
                2,
                {"0,0=new"}},
        SlkCase{"CellsOutsideTheTableAreDropped",
                "ID;P\nB;X3;Y2;D0\nC;X4;Y1;Ka\nC;X1;Y3;Kb\nC;X0;Y1;Kc\nC;X-1;Y1;Kd\n"
                "C;X3;Y0;Ke\nC;X3;Y2;Kf\n",
                3,
                2,
                {"2,1=f"}},
        SlkCase{"AValueIsCutTo1023Characters",
                "ID;P\nB;X1;Y1;D0\nC;X1;Y1;K\"" + kLongValue + "\"\n",
                1,
                1,
                {"0,0=" + std::string(1023, 'v')}},
        SlkCase{"NegativeCountsGiveAnEmptyTable", "ID;P\nB;X-3;Y2;D0\nC;X1;Y1;Ka\n", 0, 2, {}},
        SlkCase{"NoLineFeedAtAll", "ID;PWXL;N;E", 0, 0, {}}, SlkCase{"NoBytes", "", 0, 0, {}},
        SlkCase{"TheDataEndsInsideTheBRecord", "ID;P\nB;X3;Y", 3, 0, {}}),
    [](const ::testing::TestParamInfo<SlkCase>& info) { return std::string(info.param.name); });

TEST(SlkParserTest, CellsAreAddressedByColumnThenRow) {
  TSLKParser parser;
  ParseText(parser, kSixLines);
  ASSERT_NE(parser.Cells, nullptr);
  EXPECT_STREQ(parser.Cells[0][1], "hfoo");
  EXPECT_STREQ(parser.Cells[1][0], "sort");
  EXPECT_EQ(parser.Cells[2][0], nullptr);
  EXPECT_EQ(parser.Cells[2][1], nullptr);
  EXPECT_EQ(parser.Cell(0, 1), parser.Cells[0][1]);
}

TEST(SlkParserTest, CellOutsideTheTableIsNull) {
  TSLKParser parser;
  EXPECT_EQ(parser.Cell(0, 0), nullptr);  // no table yet
  ParseText(parser, kSixLines);
  EXPECT_EQ(parser.Cell(-1, 0), nullptr);
  EXPECT_EQ(parser.Cell(0, -1), nullptr);
  EXPECT_EQ(parser.Cell(3, 0), nullptr);
  EXPECT_EQ(parser.Cell(0, 2), nullptr);
}

// Counts of the B record that the memory manager cannot give end the parse with its error and
// leave an empty table; counts it can give (or that read as 0) build a table.
struct HostileCase {
  const char* name;
  std::string bRecord;
  bool fails;
  int32_t columns;  // when it does not fail
  int32_t rows;
};

std::ostream& operator<<(std::ostream& out, const HostileCase& value) {
  return out << value.name;
}

class SlkHostileCountsTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(SlkHostileCountsTest, FailWithTheMemoryErrorOrGiveATable) {
  const HostileCase& input = GetParam();
  TSLKParser parser;
  const std::string error =
      MemoryErrorText(parser, "ID;P\n" + input.bRecord + "\nC;X1;Y1;Kcell\nE\n");
  if (input.fails) {
    EXPECT_EQ(error, "Too large memory block.");
    EXPECT_EQ(parser.ColumnCount, 0);
    EXPECT_EQ(parser.RowCount, 0);
    EXPECT_EQ(parser.Cells, nullptr);
    EXPECT_EQ(parser.Cell(0, 0), nullptr);
    // The parser stays usable.
    ParseText(parser, kSixLines);
    EXPECT_STREQ(parser.Cell(0, 1), "hfoo");
  } else {
    EXPECT_EQ(error, "");
    EXPECT_EQ(parser.ColumnCount, input.columns);
    EXPECT_EQ(parser.RowCount, input.rows);
    const bool hasCell = input.columns > 0 && input.rows > 0;
    EXPECT_EQ(StoredCells(parser),
              hasCell ? std::vector<std::string>{"0,0=cell"} : std::vector<std::string>{});
  }
}

const std::string kMaxCells = std::to_string(TSLKParser::kMaxCells);
const std::string kMaxCellsPlusOne = std::to_string(TSLKParser::kMaxCells + 1);

INSTANTIATE_TEST_SUITE_P(
    Cases, SlkHostileCountsTest,
    ::testing::Values(
        HostileCase{"NineHundredMillionColumns", "B;X999999999;Y1;D0", true, 0, 0},
        HostileCase{"CountsBeyond32Bits", "B;X99999999999;Y99999999999;D0", true, 0, 0},
        // 65536 x 65536 is 2^32: a product taken in 32 bits would wrap to 0.
        HostileCase{"AProductOf2To32", "B;X65536;Y65536;D0", true, 0, 0},
        HostileCase{"OneCellMoreThanAllowed", "B;X1;Y" + kMaxCellsPlusOne + ";D0", true, 0, 0},
        HostileCase{"OneColumnMoreThanAllowed", "B;X" + kMaxCellsPlusOne + ";Y0;D0", true, 0, 0},
        HostileCase{"TheLargestTable", "B;X1;Y" + kMaxCells + ";D0", false, 1,
                    static_cast<int32_t>(TSLKParser::kMaxCells)},
        HostileCase{"NegativeColumnsAndHugeRows", "B;X-5;Y999999999;D0", false, 0, 999999999},
        HostileCase{"NegativeRows", "B;X2;Y-7;D0", false, 2, 0},
        HostileCase{"TheMostNegativeCount", "B;X-99999999999;Y3;D0", false, 0, 3}),
    [](const ::testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

TEST(SlkParserTest, LogsParseAndFreeAndResetsTheTableOnFree) {
  testsupport::TempDir folder;
  const std::string path = folder.File("quorvel.log");
  std::vector<std::string> messages;
  {
    CLog log(path.c_str());
    TSLKParser parser(&log);
    EXPECT_EQ(parser.Memory.Log, &log);
    ParseText(parser, kSixLines);
    EXPECT_NE(parser.Memory.Blocks, nullptr);
    parser.Free();
    EXPECT_EQ(parser.Memory.Blocks, nullptr);
    EXPECT_EQ(parser.ColumnCount, 0);
    EXPECT_EQ(parser.RowCount, 0);
    EXPECT_EQ(parser.Cells, nullptr);
    EXPECT_EQ(parser.Cell(0, 0), nullptr);

    // One parser serves many files.
    ParseText(parser, "ID;P\nB;X1;Y1;D0\nC;X1;Y1;Kagain\n");
    EXPECT_STREQ(parser.Cell(0, 0), "again");
  }
  std::istringstream lines(testsupport::ReadText(path));
  for (std::string line; std::getline(lines, line);) {
    // Each line is "h:mm:ss.mmm: message".
    const size_t prefixEnd = line.find(": ");
    ASSERT_NE(prefixEnd, std::string::npos) << line;
    messages.push_back(line.substr(prefixEnd + 2));
  }
  EXPECT_EQ(messages, (std::vector<std::string>{
                          "SLK parser: start parsing data.",
                          "SLK parser: data parsing end.",
                          "SLK parser: free memory.",
                          "SLK parser: start parsing data.",
                          "SLK parser: data parsing end.",
                      }));
}

TEST(SlkParserTest, NullDataGivesAnEmptyTable) {
  TSLKParser parser;
  EXPECT_TRUE(parser.Parse(nullptr, 100));
  EXPECT_EQ(parser.ColumnCount, 0);
  EXPECT_EQ(parser.RowCount, 0);
  EXPECT_EQ(parser.Cell(0, 0), nullptr);
}

// Each prefix lies in a buffer of exactly its size, so the sanitizer build catches any read
// beyond it. A prefix may lose cells (its last line has no line feed, or its B record is cut)
// but never gains one or changes one.
TEST(SlkParserTest, EveryPrefixParsesWithinItsBytes) {
  const std::string file =
      "ID;PWXL;N;E\r\n"
      "B;X4;Y12;D0\r\n"
      "C;X1;Y1;K\"unitID\"\r\n"
      "C;X2;K\"name\"\r\n"
      "C;X3;K\"comment;with semicolon\"\r\n"
      "C;X4;K12\r\n"
      "C;X1;Y2;K\"hfoo\"\nC;X2;K\"Footman\"\n"
      "F;X3;Y10\n"
      "C;K\"" +
      std::string(1100, 'w') +
      "\"\n"
      "C;Y11;X4;K-3.5\n"
      "C;X2;Y12;K\"\"\n"
      "C;X9;Y99;Koutside\n"
      "E\n";
  TSLKParser full;
  ParseText(full, file);
  ASSERT_EQ(full.ColumnCount, 4);
  ASSERT_EQ(full.RowCount, 12);
  ASSERT_EQ(StoredCells(full).size(), 9u);

  for (size_t size = 0; size <= file.size(); ++size) {
    TSLKParser parser;
    ParseText(parser, file.substr(0, size));
    ASSERT_LE(parser.ColumnCount, full.ColumnCount) << "prefix of " << size << " bytes";
    ASSERT_LE(parser.RowCount, full.RowCount) << "prefix of " << size << " bytes";
    for (int32_t column = 0; column < parser.ColumnCount; ++column) {
      for (int32_t row = 0; row < parser.RowCount; ++row) {
        const char* cell = parser.Cell(column, row);
        if (cell == nullptr) continue;
        ASSERT_NE(full.Cell(column, row), nullptr) << "prefix of " << size << " bytes";
        ASSERT_STREQ(cell, full.Cell(column, row)) << "prefix of " << size << " bytes";
      }
    }
  }
}

// The stock tables as extracted from the game's archives (LF line endings). The expected
// counts of stored cells were taken with an independent reading of the same files.
struct CorpusTable {
  const char* file;
  int32_t columns;  // the B record
  int32_t rows;
  size_t storedCells;
  const char* firstTitle;  // column 0, row 0
};

std::ostream& operator<<(std::ostream& out, const CorpusTable& value) {
  return out << value.file;
}

class SlkCorpusTest : public ::testing::TestWithParam<CorpusTable> {};

TEST_P(SlkCorpusTest, ParsesTheStockTable) {
  const std::string corpus = testsupport::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "corpus folder ../shared/corpus is absent";
  const CorpusTable& table = GetParam();
  const testsupport::Bytes bytes =
      testsupport::ReadFile(corpus + "/w3x2lni/enUS-1.27.1/Units/" + table.file);
  ASSERT_FALSE(bytes.empty());

  TSLKParser parser;
  EXPECT_TRUE(parser.Parse(bytes.data(), bytes.size()));
  EXPECT_EQ(parser.ColumnCount, table.columns);
  EXPECT_EQ(parser.RowCount, table.rows);
  EXPECT_EQ(StoredCells(parser).size(), table.storedCells);
  EXPECT_STREQ(parser.Cell(0, 0), table.firstTitle);
}

INSTANTIATE_TEST_SUITE_P(
    StockTables, SlkCorpusTest,
    ::testing::Values(CorpusTable{"unitdata.slk", 32, 837, 25947, "unitID"},
                      CorpusTable{"abilitydata.slk", 95, 804, 67385, "alias"},
                      CorpusTable{"itemdata.slk", 35, 274, 9551, "itemID"},
                      CorpusTable{"unitabilities.slk", 7, 837, 5108, "unitAbilID"},
                      CorpusTable{"unitui.slk", 51, 837, 41641, "unitUIID"},
                      CorpusTable{"upgradedata.slk", 33, 90, 2970, "upgradeid"}),
    [](const ::testing::TestParamInfo<CorpusTable>& info) {
      const std::string file = info.param.file;
      return file.substr(0, file.find('.'));
    });

TEST(SlkParserTest, FootmanRowOfTheStockUnitTable) {
  const std::string corpus = testsupport::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "corpus folder ../shared/corpus is absent";
  const testsupport::Bytes bytes =
      testsupport::ReadFile(corpus + "/w3x2lni/enUS-1.27.1/Units/unitdata.slk");
  TSLKParser parser;
  parser.Parse(bytes.data(), bytes.size());
  // Line 'C;X1;Y10;K"hfoo"' and the lines after it, which leave out Y.
  EXPECT_STREQ(parser.Cell(0, 9), "hfoo");
  EXPECT_STREQ(parser.Cell(1, 9), "a2");
  EXPECT_STREQ(parser.Cell(2, 9), "Footman");
  EXPECT_STREQ(parser.Cell(3, 9), "human");
  EXPECT_STREQ(parser.Cell(8, 9), "3.04");
  EXPECT_STREQ(parser.Cell(1, 0), "sort");
}

}  // namespace
