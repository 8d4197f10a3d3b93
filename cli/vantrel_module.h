#pragma once

#include <string>

#include "platform/dynamic_library.h"
#include "vantrel.h"

// libvantrel.so loaded at run time from the program folder, with its exports looked up by name.
class VantrelModule {
 public:
  // Loads the library from `path` and checks its versions. On failure returns false and sets
  // error() to a sentence for the user.
  bool Load(const std::string& path);
  void Unload();
  const std::string& error() const { return error_; }

  ParseReplayFunc ParseReplay = nullptr;
  FreeParserDataFunc FreeParserData = nullptr;
  GetDllInfoFunc GetDllInfo = nullptr;
  TranslateDataMessageFunc TranslateDataMessage = nullptr;
  GetPlayerNameByIDFunc GetPlayerNameByID = nullptr;

 private:
  platform::DynamicLibrary library_;
  std::string error_;
};
