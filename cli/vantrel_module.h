#pragma once

#include <string>

#include "platform/dynamic_library.h"
#include "vantrel.h"

// The exports of libvantrel.so that this program uses.
struct VantrelExports {
  ParseReplayFunc ParseReplay = nullptr;
  FreeParserDataFunc FreeParserData = nullptr;
  GetDllInfoFunc GetDllInfo = nullptr;
  TranslateDataMessageFunc TranslateDataMessage = nullptr;
  GetPlayerNameByIDFunc GetPlayerNameByID = nullptr;
  GetItemNameByIDFunc GetItemNameByID = nullptr;
  ValueToStrFunc ChatModeToStr = nullptr;
  ValueToStrFunc RaceSelectModeToStr = nullptr;
  ValueToStrFunc GameSpeedToStr = nullptr;
  ValueToStrFunc ObserversToStr = nullptr;
  ValueToStrFunc VisibilityToStr = nullptr;
  ValueToStrFunc GameTypeToStr = nullptr;
  ValueToStrFunc BoolToStr = nullptr;
};

// libvantrel.so loaded at run time from the program folder, with its exports looked up by name.
class VantrelModule : public VantrelExports {
 public:
  // Loads the library from `path` and checks its versions. On failure returns false and sets
  // error() to a sentence for the user.
  bool Load(const std::string& path);
  void Unload();
  const std::string& error() const { return error_; }

 private:
  template <typename F>
  bool Bind(F& function, const char* name);

  platform::DynamicLibrary library_;
  std::string error_;
};
