// The C face of the library: each export forwards to the process-wide parser instance. No
// exception leaves through here.
#include <exception>

#include "gamedata/errors.h"
#include "item_names.h"
#include "replay_parser.h"
#include "value_names.h"
#include "vantrel.h"

namespace {

vantrel::ReplayParser* g_parser = nullptr;

vantrel::ReplayParser& Shared() {
  if (g_parser == nullptr) g_parser = new vantrel::ReplayParser();
  return *g_parser;
}

// Runs `body`; anything it throws becomes `failed`.
template <typename Result, typename Body>
Result Guard(Result failed, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return failed;
  }
}

__attribute__((destructor)) void OnUnload() {
  if (g_parser == nullptr) return;
  g_parser->Unload();
  delete g_parser;
  g_parser = nullptr;
}

}  // namespace

extern "C" {

VANTREL_API bool ParseReplay(ParserData* data, const char* fileName) {
  return Guard(false, [&] { return Shared().ParseReplay(data, fileName); });
}

VANTREL_API int32_t ParseCompressedData(CompressedDataParams* params) {
  return Guard(1, [&] { return Shared().ParseCompressedData(params); });
}

VANTREL_API void FreeParserData(GeneralInfo* info) {
  if (info == nullptr || info->Pool == nullptr) return;
  Guard(0, [&] {
    info->Pool->FreeAll();
    return 0;
  });
}

VANTREL_API bool GetDllInfo(int32_t* versions) {
  if (versions == nullptr) return false;
  versions[0] = VANTREL_INTERFACE_VERSION;
  versions[1] = VANTREL_PARSER_VERSION;
  return true;
}

VANTREL_API int32_t TranslateDataMessage(const ActionRecord* action, char** text) {
  return Guard(0, [&] { return Shared().TranslateDataMessage(action, text); });
}

VANTREL_API const char* GetPlayerNameByID(const GeneralInfo* info, int32_t playerID) {
  return vantrel::PlayerName(info, playerID);
}

VANTREL_API const char* GetItemNameByID(const GeneralInfo* info, const char* id) {
  return Guard(static_cast<const char*>(nullptr),
               [&] { return vantrel::ItemName(info, id, Shared().log()); });
}

VANTREL_API const char* ChatModeToStr(int32_t mode) {
  return vantrel::ChatModeName(mode);
}
VANTREL_API const char* RaceSelectModeToStr(int32_t mode) {
  return vantrel::RaceSelectModeName(mode, Shared().log());
}
VANTREL_API const char* GameSpeedToStr(int32_t speed) {
  return vantrel::GameSpeedName(speed, Shared().log());
}
VANTREL_API const char* ObserversToStr(int32_t observers) {
  return vantrel::ObserversName(observers, Shared().log());
}
VANTREL_API const char* VisibilityToStr(int32_t visibility) {
  return vantrel::VisibilityName(visibility, Shared().log());
}
VANTREL_API const char* GameTypeToStr(int32_t type) {
  return vantrel::GameTypeName(type, Shared().log());
}
VANTREL_API const char* BoolToStr(int32_t value) {
  return vantrel::BoolName(value);
}
VANTREL_API const char* EventTypeToStr(int32_t type) {
  return vantrel::EventTypeName(type);
}
VANTREL_API const char* LeaveTypeToStr(int32_t reason) {
  return vantrel::LeaveTypeName(reason);
}
VANTREL_API const char* SelectModeToStr(int32_t mode) {
  return vantrel::SelectModeName(mode);
}

}  // extern "C"
