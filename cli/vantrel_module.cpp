#include "vantrel_module.h"

bool VantrelModule::Load(const std::string& path) {
  if (!library_.Open(path)) {
    error_ = "cannot load the parser library " + path + ": " + library_.error();
    return false;
  }
  ParseReplay = library_.Get<ParseReplayFunc>("ParseReplay");
  FreeParserData = library_.Get<FreeParserDataFunc>("FreeParserData");
  GetDllInfo = library_.Get<GetDllInfoFunc>("GetDllInfo");
  TranslateDataMessage = library_.Get<TranslateDataMessageFunc>("TranslateDataMessage");
  GetPlayerNameByID = library_.Get<GetPlayerNameByIDFunc>("GetPlayerNameByID");
  if (!ParseReplay || !FreeParserData || !GetDllInfo || !TranslateDataMessage || !GetPlayerNameByID) {
    error_ = "the parser library " + path + " lacks an export";
    Unload();
    return false;
  }
  int32_t versions[2] = {0, 0};
  if (!GetDllInfo(versions) || versions[0] != VANTREL_INTERFACE_VERSION || versions[1] != VANTREL_PARSER_VERSION) {
    error_ = "the parser library " + path + " has versions " + std::to_string(versions[0]) + "." +
             std::to_string(versions[1]) + ", this program needs " + std::to_string(VANTREL_INTERFACE_VERSION) +
             "." + std::to_string(VANTREL_PARSER_VERSION);
    Unload();
    return false;
  }
  return true;
}

void VantrelModule::Unload() {
  ParseReplay = nullptr;
  FreeParserData = nullptr;
  GetDllInfo = nullptr;
  TranslateDataMessage = nullptr;
  GetPlayerNameByID = nullptr;
  library_.Close();
}
