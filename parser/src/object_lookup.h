#pragma once

#include "gamedata/object_catalogue.h"
#include "vantrel.h"

namespace vantrel {

// The catalogue entry of an object id (reading order) in the game data reader of `info`, or
// null when there is no reader or no such object.
const ObjectEntry* LookUpObject(const GeneralInfo& info, const char* id);

// The hero ability list ("heroAbilList") of a hero id, or null.
const char* HeroAbilities(const GeneralInfo& info, const char* heroId);

}  // namespace vantrel
