#include "vantrel_module.h"

template <typename F>
bool VantrelModule::Bind(F& function, const char* name) {
  function = library_.Get<F>(name);
  if (function == nullptr) error_ = "the parser library lacks the export " + std::string(name);
  return function != nullptr;
}

bool VantrelModule::Load(const std::string& path) {
  if (!library_.Open(path)) {
    error_ = "cannot load the parser library " + path + ": " + library_.error();
    return false;
  }
  const bool bound =
      Bind(ParseReplay, "ParseReplay") && Bind(FreeParserData, "FreeParserData") &&
      Bind(GetDllInfo, "GetDllInfo") && Bind(TranslateDataMessage, "TranslateDataMessage") &&
      Bind(GetPlayerNameByID, "GetPlayerNameByID") && Bind(GetItemNameByID, "GetItemNameByID") &&
      Bind(ChatModeToStr, "ChatModeToStr") && Bind(RaceSelectModeToStr, "RaceSelectModeToStr") &&
      Bind(GameSpeedToStr, "GameSpeedToStr") && Bind(ObserversToStr, "ObserversToStr") &&
      Bind(VisibilityToStr, "VisibilityToStr") && Bind(GameTypeToStr, "GameTypeToStr") &&
      Bind(BoolToStr, "BoolToStr");
  if (!bound) {
    Unload();
    return false;
  }
  int32_t versions[2] = {0, 0};
  if (!GetDllInfo(versions) || versions[0] != VANTREL_INTERFACE_VERSION ||
      versions[1] != VANTREL_PARSER_VERSION) {
    error_ = "the parser library " + path + " has versions " + std::to_string(versions[0]) + "." +
             std::to_string(versions[1]) + ", this program needs " +
             std::to_string(VANTREL_INTERFACE_VERSION) + "." +
             std::to_string(VANTREL_PARSER_VERSION);
    Unload();
    return false;
  }
  return true;
}

void VantrelModule::Unload() {
  static_cast<VantrelExports&>(*this) = VantrelExports{};
  library_.Close();
}
