// A replay file is read through a window that moves over the game as its blocks are inflated.
// Whatever the sizes of blocks, records and window, the file gives what the whole decompressed
// game gives when it is parsed in one buffer.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "replay_container.h"
#include "replay_parser.h"
#include "support/game_builder.h"
#include "support/replay_writer.h"

using namespace testsupport;

namespace {

struct Outcome {
  bool ok = false;
  std::string error;
  int32_t playerCount = 0;
  std::vector<std::string> texts;
  std::vector<uint32_t> actionsTotal;
  bool reachedEnd = false;
};

Outcome Collect(const vantrel::ReplayParser& parser, const GeneralInfo& info, bool ok) {
  Outcome outcome;
  outcome.ok = ok;
  outcome.error = info.ErrorText != nullptr ? info.ErrorText : "";
  outcome.playerCount = info.PlayerCount;
  for (const TextNode* node = info.Texts; node != nullptr; node = node->Next)
    outcome.texts.emplace_back(node->Text);
  for (const PlayerRecord* player = info.Players; player != nullptr; player = player->Next)
    outcome.actionsTotal.push_back(player->ActionsTotal);
  outcome.reachedEnd = parser.WalkReachedEnd();
  return outcome;
}

// A parser that has parsed a file as a program parses it, texts on.
struct FileParse {
  FileParse(const Bytes& file, uint8_t mode) {
    ParserData request{};
    request.GeneralInfo = &info;
    request.ParseMode = mode;
    request.TranslateTexts = 1;
    ok = parser.ParseReplayData(&request, file.data(), file.size());
  }
  vantrel::ReplayParser parser;
  GeneralInfo info{};
  bool ok = false;
};

Outcome ParseFile(const Bytes& file) {
  const FileParse parse(file, VANTREL_PARSE_FULL);
  return Collect(parse.parser, parse.info, parse.ok);
}

// The same file inflated whole first, its game parsed from that one buffer.
Outcome ParseInflatedWhole(const Bytes& file) {
  GeneralInfo info{};
  size_t blocksOffset = 0;
  EXPECT_TRUE(vantrel::ReadReplayHeaders(file.data(), file.size(), info, blocksOffset).ok);
  vantrel::InflatedReplay whole;
  EXPECT_TRUE(vantrel::InflateBlocks(file.data(), file.size(), blocksOffset, info, whole).ok);
  vantrel::ReplayParser parser;
  CompressedDataParams params{};
  params.GeneralInfo = &info;
  params.Data = whole.data.get();
  params.DataSize = static_cast<uint32_t>(whole.size);
  params.TranslateTexts = 1;
  const bool ok = parser.ParseCompressedData(&params) == 0;
  return Collect(parser, info, ok);
}

// A time slot whose commands fill about `size` bytes: selections of one unit each.
GameBuilder& BigTimeSlot(GameBuilder& game, size_t size) {
  std::vector<CommandBlock> blocks;
  for (size_t filled = 0; filled < size; filled += 3 + 12) {
    blocks.push_back(CommandBlock{1, ByteWriter().U8(0x16).U8(1).U16(1).U32(7).U32(8).bytes()});
  }
  return game.TimeSlot(100, blocks);
}

struct WindowCase {
  const char* name;
  GameBuilder game;
  size_t blockSize = 8192;
  ReplayHeader header = {};
};

void PrintTo(const WindowCase& c, std::ostream* out) {
  *out << c.name;
}

std::vector<WindowCase> Cases() {
  std::vector<WindowCase> cases;
  {
    // Many short records: the window moves many times, cutting records at every place.
    WindowCase c{"ManyShortRecords", {}};
    c.game.players = {PlayerEntry{2, "Second", {0}}};
    for (int i = 0; i < 30000; ++i) {
      c.game.TimeSlot(static_cast<uint16_t>(50 + i % 200),
                      {{1, {0x61}}, {2, {0x18, static_cast<uint8_t>(i % 10), 0}}});
      if (i % 97 == 0) c.game.Chat(2, 0, "chat between the slots");
      if (i % 89 == 0) c.game.RawStream({0x22, 3, 1, 2, 3, 0x1A, 1, 2, 3, 4});
    }
    cases.push_back(c);
  }
  {
    // Records of the longest size the stream allows, one after another.
    WindowCase c{"LongestRecords", {}};
    for (int i = 0; i < 12; ++i) {
      c.game.Chat(1, 0, std::string(0xFFFF - 6, static_cast<char>('a' + i)));
      BigTimeSlot(c.game, 0xFFF0);
      c.game.RawStream({0x1E, 0xFF, 0xFF});
      c.game.RawStream(Bytes(0xFFFF, 0x41));
    }
    c.game.Leave(1, 1, 9);
    cases.push_back(c);
  }
  {
    WindowCase c{"SmallBlocks", {}, 700};
    for (int i = 0; i < 5000; ++i)
      c.game.TimeSlot(100, {{1, {0x61}}}).Chat(1, 0, "hello");
    cases.push_back(c);
  }
  {
    WindowCase c{"LargestClassicBlocks", {}, 32767};
    for (int i = 0; i < 3; ++i)
      BigTimeSlot(c.game, 60000).Chat(1, 0, std::string(40000, 'x'));
    cases.push_back(c);
  }
  {
    // Blocks larger than the window is at first.
    WindowCase c{"WideBlocksLargerThanTheWindow", {}, 400000};
    c.header.gameVersion = 10032;
    c.header.wideBlocks = true;
    c.game.secondText = "";
    for (int i = 0; i < 20; ++i)
      BigTimeSlot(c.game, 60000).Chat(1, 0, "after a long slot");
    cases.push_back(c);
  }
  {
    // A game start record longer than the window: a game name of 300000 letters.
    WindowCase c{"GameStartLongerThanTheWindow", {}};
    c.game.gameName = std::string(300000, 'n');
    c.game.TimeSlot(100, {{1, {0x61}}}).Chat(1, 0, "gg");
    cases.push_back(c);
  }
  {
    // The header's size runs past what the blocks yield: the rest reads as zero bytes, and a
    // record whose body lies in them is read whole.
    WindowCase c{"BodyInTheZerosAfterTheBlocks", {}};
    for (int i = 0; i < 50; ++i)
      c.game.TimeSlot(100, {{1, {0x61}}});
    c.game.RawStream({0x1E, 0x50, 0xC3});  // a skipped block of 50000 bytes
    const size_t game = c.game.Build().size();
    const size_t blocks = (game + c.blockSize - 1) / c.blockSize;
    c.header.decompressedSize = static_cast<uint32_t>(blocks * c.blockSize + 60000);
    c.header.blockCount = static_cast<uint32_t>(blocks + 2);  // room for the claimed size
    cases.push_back(c);
  }
  return cases;
}

class GameWindow : public testing::TestWithParam<WindowCase> {};

TEST_P(GameWindow, FileGivesWhatTheWholeGameGives) {
  const WindowCase& c = GetParam();
  const Bytes data = c.game.Build();
  std::vector<Block> blocks = MakeBlocks(data, c.blockSize);
  uint32_t decompressed = static_cast<uint32_t>(c.blockSize * blocks.size());
  if (c.header.blockCount.has_value()) {
    // Further blocks that the header counts but the size does not reach: never inflated.
    while (blocks.size() < *c.header.blockCount)
      blocks.push_back(MakeBlocks(Bytes(16, 0), 16).front());
  }
  const Bytes file = WriteReplay(c.header, blocks, decompressed);

  const Outcome whole = ParseInflatedWhole(file);
  const Outcome streamed = ParseFile(file);
  ASSERT_TRUE(whole.ok) << whole.error;
  EXPECT_TRUE(streamed.ok) << streamed.error;
  EXPECT_EQ(streamed.error, whole.error);
  EXPECT_EQ(streamed.playerCount, whole.playerCount);
  EXPECT_EQ(streamed.actionsTotal, whole.actionsTotal);
  EXPECT_EQ(streamed.reachedEnd, whole.reachedEnd);
  EXPECT_TRUE(streamed.reachedEnd);
  ASSERT_EQ(streamed.texts.size(), whole.texts.size());
  EXPECT_GT(streamed.texts.size(), 0u);
  EXPECT_EQ(streamed.texts, whole.texts);
}

INSTANTIATE_TEST_SUITE_P(Cases, GameWindow, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<WindowCase>& info) {
                           return std::string(info.param.name);
                         });

// A block that does not inflate, far behind the first window: the file fails as a whole with
// the block's error, whatever the walk had read before it, in every mode.
TEST(GameWindowErrors, LateBlockThatDoesNotInflateSpoilsTheWholeFile) {
  GameBuilder game;
  for (int i = 0; i < 40000; ++i)
    game.TimeSlot(100, {{1, {0x61}}});
  std::vector<Block> blocks = MakeBlocks(game.Build());
  ASSERT_GT(blocks.size(), 40u);
  Block& late = blocks[blocks.size() - 3];
  for (size_t i = 2; i < late.compressed.size(); ++i)
    late.compressed[i] = 0xFF;
  const Bytes file = WriteReplay({}, blocks, static_cast<uint32_t>(8192 * blocks.size()));

  for (uint8_t mode : {VANTREL_PARSE_FULL, VANTREL_PARSE_GAME_START}) {
    SCOPED_TRACE(static_cast<int>(mode));
    FileParse parse(file, mode);
    GeneralInfo& info = parse.info;
    EXPECT_FALSE(parse.ok);
    EXPECT_STREQ(info.ErrorText, "Zlib inflate error");
    EXPECT_EQ(info.Players, nullptr);
    EXPECT_EQ(info.Actions, nullptr);
    EXPECT_EQ(info.Texts, nullptr);
    EXPECT_EQ(info.PlayerCount, -1);
    EXPECT_EQ(info.DecompressedSize, 8192 * blocks.size());
    // Nothing of the spoilt file is left to resume from.
    CompressedDataParams params{};
    params.GeneralInfo = &info;
    const Bytes data = game.Build();
    params.Data = data.data();
    params.DataSize = static_cast<uint32_t>(data.size());
    params.ParseMode = VANTREL_PARSE_ACTIONS;
    EXPECT_EQ(parse.parser.ParseCompressedData(&params), 1);
  }
}

// A damaged game start record and, far behind it, a block that does not inflate: the block's
// error is the file's, as when the whole game was inflated before anything was read.
TEST(GameWindowErrors, BlockErrorComesBeforeAnErrorOfTheGameStartRecord) {
  GameBuilder game;
  game.startRecordId = 0x18;
  for (int i = 0; i < 40000; ++i)
    game.TimeSlot(100, {{1, {0x61}}});
  std::vector<Block> blocks = MakeBlocks(game.Build());
  Block& late = blocks[blocks.size() - 2];
  for (size_t i = 2; i < late.compressed.size(); ++i)
    late.compressed[i] = 0xFF;
  const Bytes spoilt = WriteReplay({}, blocks, static_cast<uint32_t>(8192 * blocks.size()));
  EXPECT_EQ(ParseFile(spoilt).error, "Zlib inflate error");
  // With every block sound, the record's own error.
  EXPECT_EQ(ParseFile(BuildReplay(game.Build())).error, "Error parsing GameStartRecord - 0x19");
}

}  // namespace
