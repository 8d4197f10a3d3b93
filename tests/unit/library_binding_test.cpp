// libvantrel.so loaded by file name and used through the exports looked up by name, the way the
// programs use it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "gamedata/log.h"
#include "gamedata/memory_manager.h"
#include "platform/dynamic_library.h"
#include "support/temp_dir.h"
#include "vantrel.h"

namespace {

const std::string kLibrary = std::string(QUORVEL_PROGRAM_DIR) + "/libvantrel.so";
const std::string kSample = std::string(QUORVEL_SOURCE_DIR) + "/data/samples/sample.w3g";

class LibraryBinding : public testing::Test {
 protected:
  void SetUp() override {
    log_ = std::make_unique<CLog>(dir_.File("quorvel.log").c_str());
    ASSERT_TRUE(library_.Open(kLibrary)) << library_.error();
  }
  // The library keeps the last log until it is unloaded: it goes first.
  void TearDown() override { library_.Close(); }

  template <typename F>
  F Get(const char* name) {
    F function = library_.Get<F>(name);
    EXPECT_NE(function, nullptr) << name;
    return function;
  }

  testsupport::TempDir dir_;
  std::unique_ptr<CLog> log_;
  platform::DynamicLibrary library_;
};

TEST_F(LibraryBinding, ReportsItsVersions) {
  auto getDllInfo = Get<GetDllInfoFunc>("GetDllInfo");
  int32_t versions[2] = {0, 0};
  ASSERT_TRUE(getDllInfo(versions));
  EXPECT_EQ(versions[0], 1);
  EXPECT_EQ(versions[1], 23);
  EXPECT_FALSE(getDllInfo(nullptr));
}

TEST_F(LibraryBinding, ParsesAReplayAndFreesItsResults) {
  auto parseReplay = Get<ParseReplayFunc>("ParseReplay");
  auto freeParserData = Get<FreeParserDataFunc>("FreeParserData");
  GeneralInfo info{};
  ParserData request{};
  request.GeneralInfo = &info;
  request.LogObject = log_.get();
  request.TranslateTexts = 1;
  ASSERT_TRUE(parseReplay(&request, kSample.c_str()));
  EXPECT_EQ(info.ErrorText, nullptr);
  EXPECT_EQ(info.GameVersion, 26u);
  EXPECT_EQ(info.BuildNumber, 6059);
  ASSERT_NE(info.Pool, nullptr);

  freeParserData(&info);
  EXPECT_EQ(info.Pool->Blocks, nullptr);

  // A record that was never filled has no pool: nothing happens.
  GeneralInfo empty{};
  freeParserData(&empty);
  freeParserData(nullptr);
  EXPECT_EQ(empty.Pool, nullptr);
}

TEST_F(LibraryBinding, ConversionsLogThroughTheLogOfTheLastParse) {
  auto parseReplay = Get<ParseReplayFunc>("ParseReplay");
  auto gameSpeedToStr = Get<ValueToStrFunc>("GameSpeedToStr");
  auto boolToStr = Get<ValueToStrFunc>("BoolToStr");
  auto chatModeToStr = Get<ValueToStrFunc>("ChatModeToStr");
  GeneralInfo info{};
  ParserData request{};
  request.GeneralInfo = &info;
  request.LogObject = log_.get();
  parseReplay(&request, kSample.c_str());
  EXPECT_STREQ(gameSpeedToStr(0), "Unknown");
  EXPECT_STREQ(boolToStr(256), "False");
  EXPECT_STREQ(chatModeToStr(7), "to specific player");
  const std::string text = testsupport::ReadText(dir_.File("quorvel.log"));
  EXPECT_NE(text.find(": Library: ERROR: unknown game speed: 0\n"), std::string::npos) << text;
}

TEST_F(LibraryBinding, UnloadIsLogged) {
  auto parseReplay = Get<ParseReplayFunc>("ParseReplay");
  GeneralInfo info{};
  ParserData request{};
  request.GeneralInfo = &info;
  request.LogObject = log_.get();
  parseReplay(&request, kSample.c_str());
  library_.Close();
  const std::string text = testsupport::ReadText(dir_.File("quorvel.log"));
  EXPECT_NE(text.find(": Library: unload parser library ok.\n"), std::string::npos) << text;
}

TEST_F(LibraryBinding, ExportsNothingButItsFunctions) {
  // Internal names are hidden: the parser instance and the game data code are not reachable.
  EXPECT_EQ(library_.Symbol("_ZN7vantrel12ReplayParser11ParseReplayEP10ParserDataPKc"), nullptr);
  EXPECT_EQ(library_.Symbol("_ZN4CLog5WriteEPKc"), nullptr);
  EXPECT_NE(library_.Symbol("ParseCompressedData"), nullptr);
  EXPECT_NE(library_.Symbol("TranslateDataMessage"), nullptr);
  EXPECT_NE(library_.Symbol("GetPlayerNameByID"), nullptr);
}

}  // namespace
