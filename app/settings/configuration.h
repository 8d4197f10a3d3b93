#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ini_file.h"

// The configuration record: every key of "Quorvel.ini" and the values derived from the system.
// Each key field is named after its key and holds its value, except ReplaysFolder, which holds
// the resolved folder. Folders are joined with '/'.
struct QUORVEL_PROPERTY {
  std::string Quorvel_Template;
  std::string Quorvel_TagPlayersTeamR;
  std::string Quorvel_TagPlayersVersus;
  int32_t Quorvel_TagPlayersName = 6;
  int32_t Quorvel_DeleteDays = 10;
  bool Quorvel_KOP3UHA = false;
  int32_t w3gCleanerTypesort = 0;
  std::string WarcraftFolder;      // "InstallPath" of the game; "NULL" when unreadable
  std::string ProgramFolderSlash;  // ProgramFolder with a trailing '/'
  std::string ReplaysFolder;
  std::string Last_Directory;
  std::string Sort_Directory;
  std::string SkinName;
  std::string My_Folder;
  std::string Collection_Folder;
  bool Quorvel_w3gCleaner = false;
  bool AutoSave = false;
  bool parser_output = false;
  bool parser_log = false;
  bool Load_Skin = true;
  int32_t Quorvel_TypeSort = 1;
  std::string ProgramFolder;  // the program's folder, without a trailing '/'
  bool AutoSaveMode = false;
  bool QMode = false;
  bool OnlyInsideMpqMode = false;
  bool ShowWarningDialog = true;
  bool DoubleClickMod = false;
  int32_t CurrentLineWidth = 1;
  int32_t CurrentLineStyle = 0;
  bool UseCollection = true;
  bool AutoAddInCollection = false;
  bool ShowHintInFileChooser = true;
  // The host of the game's ladder web site, where player profiles are looked up.
  std::string Ladder_Host;
  std::shared_ptr<::IniFile> IniFile;  // the open configuration file
};

// The section of the configuration file.
inline constexpr char kConfigurationSection[] = "Quorvel";
// The configuration file in the program folder.
inline constexpr char kConfigurationFileName[] = "Quorvel.ini";
// The word that stands for the game's own replay folder in ReplaysFolder.
inline constexpr char kAutoReplaysFolder[] = "AUTO";

// The ladder site's host when the file names none.
inline constexpr char kDefaultLadderHost[] = "classic.battle.net";

// Fills `property` from the game folder in the registry, the program folder and "Quorvel.ini".
void ReadConfiguration(QUORVEL_PROPERTY& property);

// Writes all keys of `property` to its configuration file (opening "Quorvel.ini" of the program
// folder when the record has none), in the file's key order. False when a value could not be
// written; the others are written all the same.
bool WriteConfiguration(QUORVEL_PROPERTY& property);

// Sets the keys to the values of the options dialog's "default" action: the value of a missing
// key, except that the cleaner deletes into the recycle bin and sorts by file date, the log is
// on, the sort folder is empty and the replays folder is the game's own.
void ApplyDefaultAction(QUORVEL_PROPERTY& property);

// The game's replay folder: `warcraftFolder` + "/replay".
std::string GameReplaysFolder(const std::string& warcraftFolder);

// The registry value "InstallPath" of the game, or, when it is empty, the game folder of a Wine
// prefix; "NULL" when the registry key can be neither opened nor created.
std::string ReadWarcraftFolder();
