#include "object_lookup.h"

#include "gamedata/mpq_data_reader.h"

namespace vantrel {

const ObjectEntry* LookUpObject(const GeneralInfo& info, const char* id) {
  return info.DataReader != nullptr ? info.DataReader->FindObject(id) : nullptr;
}

const char* HeroAbilities(const GeneralInfo& info, const char* heroId) {
  return GetProperty(LookUpObject(info, heroId), "heroAbilList");
}

}  // namespace vantrel
