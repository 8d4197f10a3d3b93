#pragma once

// Where the standard data read takes each file from: the tables and the profile texts of the
// game's four archives. The reader reads them in this order; whatever writes such archives (the
// built-in game data, test fixtures) takes the layout from here.
namespace standard_layout {

inline constexpr const char* kPatchArchive = "war3Patch.mpq";
inline constexpr const char* kLocalArchive = "war3xlocal.mpq";
inline constexpr const char* kExpansionArchive = "war3x.mpq";
inline constexpr const char* kBaseArchive = "war3.mpq";

// The tables, all read from war3Patch.mpq: ability, unit, upgrade and item data, then the unit
// abilities.
inline constexpr const char* kTables[] = {"Units\\AbilityData.slk", "Units\\UnitData.slk",
                                          "Units\\UpgradeData.slk", "Units\\ItemData.slk",
                                          "Units\\UnitAbilities.slk"};
inline constexpr size_t kCataloguedTables = 4;  // the first four; the last is the unit abilities

inline constexpr const char* kPatchTexts[] = {
    "Units\\CampaignAbilityFunc.txt",
    "Units\\CampaignAbilityStrings.txt",
    "Units\\CampaignUnitFunc.txt",
    "Units\\CampaignUnitStrings.txt",
    "Units\\CommandStrings.txt",
    "Units\\CommonAbilityFunc.txt",
    "Units\\CommonAbilityStrings.txt",
    "Units\\HumanAbilityFunc.txt",
    "Units\\HumanAbilityStrings.txt",
    "Units\\HumanUnitFunc.txt",
    "Units\\HumanUnitStrings.txt",
    "Units\\HumanUpgradeFunc.txt",
    "Units\\HumanUpgradeStrings.txt",
    "Units\\ItemAbilityFunc.txt",
    "Units\\ItemAbilityStrings.txt",
    "Units\\ItemFunc.txt",
    "Units\\ItemStrings.txt",
    "Units\\NeutralAbilityFunc.txt",
    "Units\\NeutralAbilityStrings.txt",
    "Units\\NeutralUnitFunc.txt",
    "Units\\NeutralUnitStrings.txt",
    "Units\\NightElfAbilityFunc.txt",
    "Units\\NightElfAbilityStrings.txt",
    "Units\\NightElfUnitFunc.txt",
    "Units\\NightElfUnitStrings.txt",
    "Units\\OrcAbilityFunc.txt",
    "Units\\OrcAbilityStrings.txt",
    "Units\\OrcUnitFunc.txt",
    "Units\\OrcUnitStrings.txt",
    "Units\\OrcUpgradeFunc.txt",
    "Units\\UndeadAbilityFunc.txt",
    "Units\\UndeadAbilityStrings.txt",
    "Units\\UndeadUnitFunc.txt",
    "Units\\UndeadUnitStrings.txt",
    "Units\\UndeadUpgradeFunc.txt",
};
inline constexpr const char* kLocalTexts[] = {
    "Units\\NeutralUpgradestrings.txt", "Units\\OrcUpgradeStrings.txt",
    "Units\\NightElfUpgradeStrings.txt", "Units\\UndeadUpgradeStrings.txt"};
inline constexpr const char* kBaseTexts[] = {"Units\\NightElfUpgradeFunc.txt"};
inline constexpr const char* kExpansionTexts[] = {"Units\\NeutralUpgradeFunc.txt"};

}  // namespace standard_layout
