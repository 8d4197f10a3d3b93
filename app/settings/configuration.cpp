#include "configuration.h"

#include <filesystem>
#include <optional>
#include <variant>

#include "platform/program_dir.h"
#include "platform/registry.h"
#include "platform/wine_registry.h"

namespace {

using P = QUORVEL_PROPERTY;

// Where the default of a text key comes from.
enum class TextDefault {
  Fixed,            // the table's text
  GameReplays,      // the game's replay folder
  ResolvedReplays,  // the resolved ReplaysFolder (read before)
};

struct TextKey {
  std::string P::*field;
  const char* fallback;
  TextDefault from = TextDefault::Fixed;
};
struct IntegerKey {
  int32_t P::*field;
  int32_t fallback;
};
struct BoolKey {
  bool P::*field;
  bool fallback;
};

// One key of the file: its name, its field and type, the value of a missing key, and what the
// options dialog's default action stores when that differs.
struct Key {
  const char* name;
  std::variant<TextKey, IntegerKey, BoolKey> value;
  std::optional<std::variant<const char*, int32_t, bool>> defaultAction = std::nullopt;
};

// The keys in the order in which the file holds them. Reading follows this order too: the keys
// whose defaults derive from others come after them.
const Key kKeys[] = {
    {"Quorvel_Template", TextKey{&P::Quorvel_Template, "[{Date}]{Players}_{Map}[{Version}]"}},
    {"Quorvel_TagPlayersTeamR", TextKey{&P::Quorvel_TagPlayersTeamR, " && "}},
    {"Quorvel_TagPlayersVersus", TextKey{&P::Quorvel_TagPlayersVersus, "-vs-"}},
    {"My_Folder", TextKey{&P::My_Folder, "NULL"}},
    {"SkinName", TextKey{&P::SkinName, "GrayPlastic"}},
    {"Quorvel_TagPlayersName", IntegerKey{&P::Quorvel_TagPlayersName, 6}},
    {"Quorvel_DeleteDays", IntegerKey{&P::Quorvel_DeleteDays, 10}},
    {"CurrentLineWidth", IntegerKey{&P::CurrentLineWidth, 1}},
    {"CurrentLineStyle", IntegerKey{&P::CurrentLineStyle, 0}},
    {"Quorvel_KOP3UHA", BoolKey{&P::Quorvel_KOP3UHA, false}, true},
    {"parser_output", BoolKey{&P::parser_output, false}},
    {"parser_log", BoolKey{&P::parser_log, false}, true},
    {"Load_Skin", BoolKey{&P::Load_Skin, true}},
    {"AutoSave", BoolKey{&P::AutoSave, false}},
    {"AutoSaveMode", BoolKey{&P::AutoSaveMode, false}},
    {"QMode", BoolKey{&P::QMode, false}},
    {"OnlyInsideMpqMode", BoolKey{&P::OnlyInsideMpqMode, false}},
    {"ShowWarningDialog", BoolKey{&P::ShowWarningDialog, true}},
    {"DoubleClickMod", BoolKey{&P::DoubleClickMod, false}},
    {"Last_Directory", TextKey{&P::Last_Directory, "", TextDefault::GameReplays}},
    {"w3gCleanerTypesort", IntegerKey{&P::w3gCleanerTypesort, 0}, int32_t{1}},
    {"ReplaysFolder", TextKey{&P::ReplaysFolder, kAutoReplaysFolder}},
    {"Quorvel_w3gCleaner", BoolKey{&P::Quorvel_w3gCleaner, false}},
    {"Sort_Directory", TextKey{&P::Sort_Directory, "", TextDefault::ResolvedReplays}, ""},
    {"Quorvel_TypeSort", IntegerKey{&P::Quorvel_TypeSort, 1}},
    {"Collection_Folder", TextKey{&P::Collection_Folder, ""}},
    {"UseCollection", BoolKey{&P::UseCollection, true}},
    {"AutoAddInCollection", BoolKey{&P::AutoAddInCollection, false}},
    {"ShowHintInFileChooser", BoolKey{&P::ShowHintInFileChooser, true}},
    {"Ladder_Host", TextKey{&P::Ladder_Host, kDefaultLadderHost}},
};

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

std::string DefaultText(const TextKey& key, const P& property) {
  switch (key.from) {
    case TextDefault::GameReplays:
      return GameReplaysFolder(property.WarcraftFolder);
    case TextDefault::ResolvedReplays:
      return property.ReplaysFolder;
    case TextDefault::Fixed:
      break;
  }
  return key.fallback;
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

std::string WithoutTrailingSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  return folder;
}

bool IsKeyOf(const Key& key, std::string P::*field) {
  const auto* text = std::get_if<TextKey>(&key.value);
  return text != nullptr && text->field == field;
}

// "AUTO" (exactly so) stands for the game's own replay folder.
void ResolveReplaysFolder(P& property) {
  if (property.ReplaysFolder == kAutoReplaysFolder) {
    property.ReplaysFolder = GameReplaysFolder(property.WarcraftFolder);
  }
}

}  // namespace

std::string GameReplaysFolder(const std::string& warcraftFolder) {
  if (!warcraftFolder.empty() && warcraftFolder.back() == '/') return warcraftFolder + "replay";
  return warcraftFolder + "/replay";
}

std::string ReadWarcraftFolder() {
  const std::optional<std::string> installPath = platform::RegistryStore().ReadString(
      platform::RegistryRoot::CurrentUser, "Software\\Blizzard Entertainment\\Warcraft III",
      "InstallPath");
  if (!installPath) return "NULL";
  if (installPath->empty()) return platform::WineInstallPath();
  return *installPath;
}

void ReadConfiguration(P& property) {
  property.WarcraftFolder = ReadWarcraftFolder();
  property.ProgramFolder = WithoutTrailingSlash(platform::ProgramDirectory());
  property.ProgramFolderSlash = property.ProgramFolder + "/";
  property.IniFile =
      std::make_shared<IniFile>(property.ProgramFolderSlash + kConfigurationFileName);
  const IniFile& file = *property.IniFile;

  for (const Key& key : kKeys) {
    std::visit(
        Overloaded{
            [&](const TextKey& text) {
              property.*text.field =
                  file.Read(kConfigurationSection, key.name).value_or(DefaultText(text, property));
            },
            [&](const IntegerKey& integer) {
              property.*integer.field =
                  file.ReadInteger(kConfigurationSection, key.name, integer.fallback);
            },
            [&](const BoolKey& flag) {
              property.*flag.field = file.ReadBool(kConfigurationSection, key.name, flag.fallback);
            },
        },
        key.value);
    // The replays folder is resolved as soon as it is read: the sort folder's default is it.
    if (IsKeyOf(key, &P::ReplaysFolder)) ResolveReplaysFolder(property);
    if (IsKeyOf(key, &P::Sort_Directory) && !IsFolder(property.Sort_Directory)) {
      property.Sort_Directory = property.ReplaysFolder;
    }
  }
}

bool WriteConfiguration(P& property) {
  if (!property.IniFile) {
    property.IniFile =
        std::make_shared<IniFile>(platform::ProgramDirectory() + kConfigurationFileName);
  }
  IniFile& file = *property.IniFile;
  bool written = true;
  for (const Key& key : kKeys) {
    written &= std::visit(
        Overloaded{
            [&](const TextKey& text) {
              std::string value = property.*text.field;
              if (text.field == &P::ReplaysFolder &&
                  value == GameReplaysFolder(property.WarcraftFolder)) {
                value = kAutoReplaysFolder;
              }
              return file.Write(kConfigurationSection, key.name, value);
            },
            [&](const IntegerKey& integer) {
              return file.WriteInteger(kConfigurationSection, key.name, property.*integer.field);
            },
            [&](const BoolKey& flag) {
              return file.WriteBool(kConfigurationSection, key.name, property.*flag.field);
            },
        },
        key.value);
  }
  return written;
}

void ApplyDefaultAction(P& property) {
  for (const Key& key : kKeys) {
    std::visit(Overloaded{
                   [&](const TextKey& text) {
                     const char* value =
                         key.defaultAction ? std::get<const char*>(*key.defaultAction) : nullptr;
                     property.*text.field = value ? value : DefaultText(text, property);
                     if (text.field == &P::ReplaysFolder) ResolveReplaysFolder(property);
                   },
                   [&](const IntegerKey& integer) {
                     property.*integer.field = key.defaultAction
                                                   ? std::get<int32_t>(*key.defaultAction)
                                                   : integer.fallback;
                   },
                   [&](const BoolKey& flag) {
                     property.*flag.field =
                         key.defaultAction ? std::get<bool>(*key.defaultAction) : flag.fallback;
                   },
               },
               key.value);
  }
}
