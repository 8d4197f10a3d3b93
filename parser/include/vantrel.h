/*
 * vantrel.h - the replay parser library (libvantrel.so).
 *
 * The library reads a Warcraft III replay (.w3g) and returns plain records describing the game:
 * header values, settings, players, slots, every action, chat and leave entry, and per-player
 * statistics. This header is its manual: every record that crosses the library boundary is
 * defined here, and every export states its arguments, ownership and results.
 *
 * Loading. Programs load the library at run time by file name (dlopen) and look the exports up
 * by name (dlsym). They first call GetDllInfo and compare the versions with
 * VANTREL_INTERFACE_VERSION and VANTREL_PARSER_VERSION.
 *
 * Ownership and lifetime. Every text, array, list and record that a GeneralInfo points to lives
 * in the library's result pool (GeneralInfo.Pool). The pool is emptied at the start of every
 * parse and by FreeParserData, so results are valid only until the next parse of any replay by
 * the library or the next FreeParserData: a caller that keeps anything copies it first.
 * ParserData, CompressedDataParams and GeneralInfo belong to the caller.
 *
 * Threads. The exports share one parse state for the whole process: calls must not overlap.
 *
 * Log. A caller may hand the library its log object (ParserData.LogObject, a CLog built from the
 * same game data code as the library). The library writes through it during the call and keeps
 * using it afterwards - for the lines of the ...ToStr conversions, of ParseCompressedData and of
 * the unload - until the next ParseReplay names another one. The log object must therefore live
 * until the library is unloaded or until a later ParseReplay passes another log (or null).
 *
 * Texts are UTF-8. Times are game times (GameTime), counted from the start of the game.
 *
 * Limits. Every byte of a replay is untrusted; what a parse costs is bounded by the file:
 *  - Decompressed data: a block yields at most 32767 bytes and needs at least its 8-byte header
 *    in the file (from 1.32: at most 1 MB, trusted from its 32-bit length, and a 12-byte header),
 *    so a header whose DecompressedSize exceeds
 *    min(BlockCount, block headers that fit in the file) x that maximum is refused with
 *    "Fail to allocate memory" before anything is allocated (at most about 4 KB per file byte
 *    for the classic layout, whatever the header claims).
 *  - Results: every entry, field record, event node and text is made from bytes it consumed, so
 *    the result pool grows linearly with the decompressed data, and so does the parse time.
 *  - Players: a game start record with more than VANTREL_MAX_PLAYER_ENTRIES player entries is
 *    refused ("Error parsing GameStartRecord - too many players"), since every entry text looks
 *    its player up among them.
 *  - Heroes: a player's hero list (PlayerRecord.Heroes) holds at most VANTREL_MAX_HEROES hero
 *    types; summons of further types still make their entries and events but are not filed
 *    there, since every skill learned is matched against each hero of the list. Summons and
 *    skills of the listed heroes are appended without walking their lists.
 *  - Texts: one entry text is at most 8191 bytes; chat and other replay texts are cut to 2999
 *    input bytes before conversion.
 */
#ifndef VANTREL_H
#define VANTREL_H

#include <stdbool.h>
#include <stdint.h>

#if defined(VANTREL_BUILDING_LIBRARY)
#define VANTREL_API __attribute__((visibility("default")))
#else
#define VANTREL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Bounds of a parse (see Limits above). */
#define VANTREL_MAX_PLAYER_ENTRIES 256 /* player entries of one game start record */
#define VANTREL_MAX_HEROES 32          /* hero types filed per player */

/* Versions that GetDllInfo reports. A program must refuse a library that reports others. */
#define VANTREL_INTERFACE_VERSION 1
#define VANTREL_PARSER_VERSION 23

/* Objects of the shared game data code that the caller owns and hands in by pointer. */
struct CLog;                 /* the program log */
struct TCustomMemoryManager; /* the result pool */
struct TMPQDataReader;       /* the game data reader (object catalogue) */

/* ---- Game time ------------------------------------------------------------------------------ */

/* A game time, always normalised: Minutes and Seconds 0..59, Milliseconds 0..999.
 * Text form "%d:%.2d:%.2d.%.3d" (0:05:07.250). */
typedef struct GameTime {
  int32_t Hours;
  int32_t Minutes;
  int32_t Seconds;
  int32_t Milliseconds;
} GameTime;

/* ---- Action list ---------------------------------------------------------------------------- */

/* Kinds of ActionRecord. */
enum {
  VANTREL_KIND_LEAVE = 23,   /* Data is a LeaveData */
  VANTREL_KIND_COMMAND = 31, /* Data is a CommandData */
  VANTREL_KIND_CHAT = 32     /* Data is a ChatData */
};

/* One entry of the action list: a leave, a chat message or a player command, in stream order. */
typedef struct ActionRecord {
  uint8_t PlayerID; /* player the entry belongs to */
  GameTime Time;    /* game clock when the entry was read */
  uint8_t Kind;     /* VANTREL_KIND_... */
  uint8_t Counted;  /* 1 when the entry was added to the player's ActionsTotal */
  void* Data;       /* LeaveData, CommandData or ChatData, by Kind */
  struct ActionRecord* Next;
  struct ActionRecord* Previous;
} ActionRecord;

/* Leave reasons named by LeaveTypeToStr. */
enum { VANTREL_LEAVE_REMOTE = 1, VANTREL_LEAVE_LOCAL = 12 };

typedef struct LeaveData {
  uint32_t Reason; /* 1 connection closed by the remote game, 12 by the local game */
  uint32_t Result;
  uint32_t Unknown; /* third value, not interpreted */
} LeaveData;

/* Chat modes named by ChatModeToStr: 0 to all, 1 to allies, 2 to observers, else one player. */
typedef struct ChatData {
  uint32_t ChatMode;
  char* Text;
} ChatData;

/* Action id of the entry made for an action id the decoder does not know. */
#define VANTREL_UNKNOWN_COMMAND 202

typedef struct CommandData {
  uint8_t ActionID; /* the action id byte, or VANTREL_UNKNOWN_COMMAND */
  void* Fields;     /* the field record of the action (below), or null for actions without one */
} CommandData;

/* Event types named by EventTypeToStr. 0 is no event. */
enum {
  VANTREL_EVENT_NONE = 0,
  VANTREL_EVENT_TRAIN_UNIT = 1,
  VANTREL_EVENT_SUMMON_HERO = 2,
  VANTREL_EVENT_LEARN_SKILL = 3,
  VANTREL_EVENT_BUY_ITEM = 4,
  VANTREL_EVENT_SELL_ITEM = 5,
  VANTREL_EVENT_DROP_ITEM = 6,
  VANTREL_EVENT_TAKE_ITEM = 7,
  VANTREL_EVENT_BUILD = 8,
  VANTREL_EVENT_MAKE_UPGRADE = 9
};

/* Field records, by action id. An object id ("hfoo", "AHbz") is held in reading order with a
 * terminating zero: the action's four bytes reversed. Order numbers (ids whose third byte in the
 * action is 0x0D) are held the same way. */

/* 0x02 resume game: the total time spent paused so far. */
typedef struct ResumeGameData {
  GameTime PauseLength;
} ResumeGameData;

/* 0x03 set game speed. */
typedef struct GameSpeedData {
  uint8_t Speed;
} GameSpeedData;

/* 0x06 text action. */
typedef struct TextActionData {
  char* Text;
} TextActionData;

/* 0x10 ability without target. */
typedef struct AbilityData {
  uint8_t Flags; /* low byte of the flags word */
  char ItemID[5];
  uint32_t UnknownA;
  uint32_t UnknownB;
  uint8_t EventType; /* VANTREL_EVENT_... */
} AbilityData;

/* 0x11 ability with a target position. Begins like AbilityData. */
typedef struct AbilityPositionData {
  uint8_t Flags;
  char ItemID[5];
  uint32_t UnknownA;
  uint32_t UnknownB;
  float X;
  float Y;
  uint8_t EventType;
} AbilityPositionData;

/* 0x12 ability with a position and a target object. */
typedef struct AbilityTargetData {
  uint8_t Flags;
  char ItemID[5];
  uint32_t UnknownA;
  uint32_t UnknownB;
  float X;
  float Y;
  uint32_t Object1;
  uint32_t Object2;
} AbilityTargetData;

/* 0x13 give or drop an item. */
typedef struct GiveItemData {
  uint8_t Flags;
  char ItemID[5];
  uint32_t UnknownA;
  uint32_t UnknownB;
  float X;
  float Y;
  uint32_t Target1;
  uint32_t Target2;
  uint32_t Item1;
  uint32_t Item2;
} GiveItemData;

/* 0x14 ability with two positions and two ids. */
typedef struct AbilityTwoTargetsData {
  uint16_t Flags;
  char ItemID1[5];
  uint32_t UnknownA;
  uint32_t UnknownB;
  float X1;
  float Y1;
  char ItemID2[5];
  float X2;
  float Y2;
} AbilityTwoTargetsData;

/* One selected object of a selection or group action. */
typedef struct SelectedObject {
  uint32_t Object1;
  uint32_t Object2;
  struct SelectedObject* Next;
} SelectedObject;

/* Selection modes named by SelectModeToStr. */
enum { VANTREL_SELECT_ADD = 1, VANTREL_SELECT_REMOVE = 2 };

/* 0x16 change selection (Mode is VANTREL_SELECT_...) and 0x17 assign group hotkey (Mode is the
 * group number, 0 based). */
typedef struct SelectionData {
  uint8_t Mode;
  uint16_t UnitCount;
  SelectedObject* Objects; /* UnitCount nodes */
} SelectionData;

/* 0x18 select group hotkey. */
typedef struct SelectGroupData {
  uint8_t Group; /* 0 based */
  uint8_t Unknown;
} SelectGroupData;

/* 0x19 select subgroup. UnitsCount is set by the subgroup merge (0 otherwise). */
typedef struct SubgroupData {
  char ItemID[5];
  uint32_t Object1;
  uint32_t Object2;
  uint16_t UnitsCount;
} SubgroupData;

/* 0x1B unknown object action and 0x1C select ground item. */
typedef struct ObjectActionData {
  uint8_t Unknown;
  uint32_t Object1;
  uint32_t Object2;
} ObjectActionData;

/* 0x1D cancel hero revival. */
typedef struct CancelRevivalData {
  char ItemID1[5];
  char ItemID2[5];
} CancelRevivalData;

/* 0x1E remove a unit from a building queue. */
typedef struct RemoveFromQueueData {
  uint8_t SlotNumber;
  char ItemID[5];
} RemoveFromQueueData;

/* 0x50 change ally options. SlotIndex indexes the slot array. */
typedef struct AllyOptionsData {
  uint8_t SlotIndex;
  uint32_t Flags;
} AllyOptionsData;

/* 0x51 transfer resources. */
typedef struct TransferResourcesData {
  uint8_t SlotIndex;
  uint32_t Gold;
  uint32_t Lumber;
} TransferResourcesData;

/* 0x60 map trigger chat command. */
typedef struct TriggerChatData {
  uint32_t Value1;
  uint32_t Value2;
  char* Text;
} TriggerChatData;

/* 0x62 scenario trigger. */
typedef struct ScenarioTriggerData {
  uint32_t Value1;
  uint32_t Value2;
  uint32_t Value3;
} ScenarioTriggerData;

/* 0x68 minimap signal. */
typedef struct MinimapSignalData {
  float X;
  float Y;
  uint32_t Unknown;
} MinimapSignalData;

/* 0x69 and 0x6A resume variants: four values. 0x6A keeps them in stream order; 0x69 keeps the
 * third, fourth, first and second value, in this order. */
typedef struct ResumeVariantData {
  uint32_t Value1;
  uint32_t Value2;
  uint32_t Value3;
  uint32_t Value4;
} ResumeVariantData;

/* 0x75 one-byte action. */
typedef struct OneByteData {
  uint8_t Value;
} OneByteData;

/* VANTREL_UNKNOWN_COMMAND: an action id the decoder does not know ends its command block. */
typedef struct UnknownCommandData {
  uint8_t ActionID;   /* the unknown id */
  uint32_t SkipBytes; /* bytes from the unknown id to the end of the command block */
} UnknownCommandData;

/* ---- Player events -------------------------------------------------------------------------- */

/* One node of a player's event list. Fields points to the command's field record: an
 * AbilityData (action 0x10) or an AbilityPositionData (action 0x11); both begin with Flags,
 * ItemID, UnknownA and UnknownB, so ItemID can be read through either. */
typedef struct EventNode {
  ActionRecord* Action;
  void* Fields;
  struct EventNode* Next;
} EventNode;

/* One hero of a player: its first summoning, the skills learned for it and its further summons
 * (chained through their own Next). */
typedef struct HeroNode {
  ActionRecord* Action;
  void* Fields;
  uint32_t SkillCount;
  EventNode* Skills;
  uint32_t SummonCount;
  struct HeroNode* Summons;
  struct HeroNode* Next;
} HeroNode;

/* ---- Players, slots, texts ------------------------------------------------------------------ */

struct SlotRecord;

/* One player entry of the game start record; the array is ordered by PlayerID. */
typedef struct PlayerRecord {
  uint8_t RecordID; /* first byte of the player entry (0x16 for further players) */
  uint8_t PlayerID;
  char* PlayerName;
  uint32_t ExtraValue;
  uint32_t Race;       /* race flags */
  GameTime TimeInGame; /* game clock at the player's leave; 0:00:00.000 without one */
  uint8_t Winner;      /* 1 for the players of the winning team */
  uint32_t ActionsTotal;
  HeroNode* Heroes;
  EventNode* Buildings; /* Build */
  EventNode* Upgrades;  /* Make upgrade */
  EventNode* Units;     /* Train unit */
  EventNode* Items;     /* Buy item */
  EventNode* Skills;    /* Learn skill */
  struct PlayerRecord* Next;
  struct SlotRecord* Slot; /* the slot of this player, or null */
} PlayerRecord;

/* One slot of the slot table, in file order. */
typedef struct SlotRecord {
  uint8_t PlayerID;
  uint8_t DownloadStatus;
  uint8_t SlotStatus;
  uint8_t IsHuman; /* 1 for a human player, 0 for a computer */
  uint8_t TeamNumber;
  uint8_t ColorNumber;
  uint8_t Race; /* race flags */
  uint8_t AIStrength;
  uint8_t PlayerHandicap;
  struct SlotRecord* Next;
  PlayerRecord* Player; /* the player in this slot, or null */
} SlotRecord;

/* One text of the text list. */
typedef struct TextNode {
  char* Text;
  struct TextNode* Next;
} TextNode;

/* ---- Parse records -------------------------------------------------------------------------- */

/* What one parse returns. Allocated by the caller, filled by the library. */
typedef struct GeneralInfo {
  char* GameName;
  char* MapName; /* map path as stored in the replay ("Maps\\FrozenThrone\\...") */
  char* GameCreatorName;
  int32_t PlayerCount; /* number of PlayerRecords; -1 until the game start record was read */
  int32_t SlotRecordCount;
  uint32_t RandomSeed;
  uint8_t SelectMode;
  uint8_t StartSpotCount;
  PlayerRecord* Players; /* array of PlayerCount records, also chained through Next */
  SlotRecord* Slots;     /* array of SlotRecordCount records, also chained through Next */
  uint8_t GameType;
  uint8_t PrivateGame;
  uint16_t ExtraWord;
  uint32_t ExtraDword;
  ActionRecord* Actions; /* first entry of the action list */
  TextNode* Texts;       /* the texts of the entries that have one, in list order */
  void* CustomObjects;   /* always null */
  uint8_t GameSpeed;
  uint8_t Visibility;
  uint8_t Observers;
  uint8_t Referee;
  uint8_t TeamsTogether;
  uint8_t FixedTeams;
  uint8_t FullSharedUnitControl;
  uint8_t RandomHero;
  uint8_t RandomRaces;
  uint32_t MapChecksum;
  struct TCustomMemoryManager* Pool; /* the result pool holding everything above */
  /* Last error text, or null. Owned by the library, not by the pool: it stays valid until the
   * next parse (ParseReplay or ParseCompressedData) starts. */
  char* ErrorText;
  uint32_t HeaderSize;
  uint32_t CompressedSize;
  uint32_t HeaderVersion;
  uint32_t DecompressedSize;
  uint32_t BlockCount;
  uint32_t GameVersion; /* patch number: 18 for 1.18 */
  uint16_t BuildNumber;
  uint16_t ReplayFlags;
  uint32_t ReplayLength; /* milliseconds */
  uint32_t HeaderChecksum;
  /* The game data reader, set by the caller before the call (may be null: then no object is
   * classified or named). */
  struct TMPQDataReader* DataReader;
  uint8_t IsMapDataLoad; /* 1 when the custom map data of MapName was loaded */
  /* 1 when the map was read but its minimap could not be, because the texture decoder
   * (ParserData/libostrak.so) cannot be loaded: the library logs "Cant init blp parser dll" and
   * the program tells the user. The map's objects are read all the same. */
  uint8_t TextureDecoderMissing;
} GeneralInfo;

/* Parse modes. */
enum {
  VANTREL_PARSE_FULL = 0,       /* everything */
  VANTREL_PARSE_GAME_START = 1, /* header and game start record only: players, slots, settings */
  VANTREL_PARSE_ACTIONS = 2     /* actions only; ParseCompressedData alone */
};

/* What ParseReplay is asked to do. Filled by the caller. */
typedef struct ParserData {
  GeneralInfo* GeneralInfo; /* the record to fill; must not be null */
  uint8_t WriteDebugFile;   /* non-zero: write "debug_file.txt" (current folder) after parsing */
  uint8_t TranslateTexts;   /* non-zero: build GeneralInfo.Texts */
  uint8_t OpenParserLog;    /* ignored by ParseReplay */
  uint8_t ParseMode;        /* VANTREL_PARSE_...; see ParseReplay for mode 2 */
  uint8_t WriteCompData;    /* non-zero: dump the walked block stream to "CompData.dat" */
  struct CLog* LogObject;   /* the caller's log, or null for no log lines (see Log above) */
} ParserData;

/* What ParseCompressedData is asked to do. Filled by the caller. */
typedef struct CompressedDataParams {
  /* A decompressed replay: 4 bytes that are not examined, the game start record, the block
   * stream, then zero bytes. The library reads Data[0 .. DataSize) and nothing else. */
  const uint8_t* Data;
  uint32_t DataSize;
  GeneralInfo* GeneralInfo; /* the record to fill; must not be null */
  uint8_t WriteDebugFile;
  uint8_t TranslateTexts;
  /* Non-zero: open "parser_log.txt" (current folder) for appending; it stays open, unwritten,
   * until the library is unloaded. */
  uint8_t OpenParserLog;
  /* VANTREL_PARSE_ACTIONS keeps the players and slots of the previous call and walks the
   * actions from where that call's game start record ended: pass the same buffer again. */
  uint8_t ParseMode;
} CompressedDataParams;

/* ---- Exports -------------------------------------------------------------------------------- */

/* Parses the replay file `fileName` (UTF-8 path) as `data` asks.
 *
 * The GeneralInfo is reset first (texts, arrays and lists cleared, PlayerCount -1, ErrorText
 * null), then the header is read, the blocks are inflated and the game is parsed.
 *
 * Returns false when the file could not be read as a replay:
 *  - not a replay (wrong magic text) or an unknown header version: ErrorText stays null;
 *  - otherwise ErrorText says why: "Cannot open file.", "Cannot create file mapping." (an empty
 *    file), "Cannot map file.", "Wrong war3 version" (versions below 14),
 *    "Fail to allocate memory" (also for a header whose decompressed size its blocks can never
 *    fill), "Error", "Zlib initialization error", "Zlib inflate error" (a block that is not one
 *    flushed zlib stream, or whose stream ends), "Zlib inflateEnd error",
 *    "Zlib data size and data size in replay does not match", a text beginning "Replay file is
 *    truncated" for a file that ends inside its header or a block, and the two null pointer
 *    texts "ERROR! Bad (NULL) ParserData data pointer!" and
 *    "ERROR! Bad (NULL) GeneralInfo data pointer!" (the first cannot be stored anywhere).
 *
 * Returns true when the file was read and the game parsed - even when parsing the game stopped
 * at an error, whose text is then in ErrorText. A replay is completely parsed when the result is
 * true and ErrorText is null.
 *
 * ParseMode VANTREL_PARSE_ACTIONS needs the game start record of an earlier call on the same
 * buffer, which a new parse of a file never has: ParseReplay refuses it (false, ErrorText
 * "ParseMode 2 is for ParseCompressedData only."). Values above 2 parse fully. */
VANTREL_API bool ParseReplay(ParserData* data, const char* fileName);

/* Parses an already decompressed replay as `params` asks, without loading custom map data.
 * Returns 0 on success, 1 when an error was caught (its text is in ErrorText), including a null
 * GeneralInfo ("ERROR! Bad (NULL) GeneralInfo data pointer!", not stored) and a null Data. Logs
 * through the log of the last ParseReplay. */
VANTREL_API int32_t ParseCompressedData(CompressedDataParams* params);

/* Empties the pool `info` points to (info->Pool): every result of the last parse becomes
 * invalid. Nothing happens when `info` or its Pool is null. The GeneralInfo itself is not
 * touched. */
VANTREL_API void FreeParserData(GeneralInfo* info);

/* Writes the interface version (1) to versions[0] and the parser version (23) to versions[1] and
 * returns true. Returns false, writing nothing, when `versions` is null. */
VANTREL_API bool GetDllInfo(int32_t* versions);

/* Makes the text of one entry of the action list: leave entries, chat entries and commands.
 * Every text begins with the game time, the player's name in 15 columns and the counted flag
 * ("0:05:07.250 Alder           1 ..."). On success stores a pointer to the text (in the result
 * pool) through `text` and returns 1. Returns 0 when an argument is null or the entry has no
 * text; for the commands that have none (actions 0x06, 0x07, 0x69, 0x6A, 0x75) `text` is still
 * set, to "No translation for command with ID: 0x.." . Player names come from the GeneralInfo of
 * the last parse, object names from its game data reader (order numbers are named too). */
VANTREL_API int32_t TranslateDataMessage(const ActionRecord* action, char** text);

/* Name of the player with `playerID` in `info`, or "Unknown player". The name lives in the
 * result pool; "Unknown player" is a constant of the library. */
VANTREL_API const char* GetPlayerNameByID(const GeneralInfo* info, int32_t playerID);

/* The readable name of an id (4 bytes at `id`):
 *  - an order number - third byte 0x0D, in the byte order of the action data - gives its order
 *    text ("rightclick", "attack", ...), or "Unknown value" (and a log line) for a number
 *    without one; some order texts end in blanks that belong to them;
 *  - an object id in reading order ("hfoo") gives the "Name" of its entry in the game data
 *    reader of `info` (the objects of the current map first);
 *  - anything else, or no reader, gives `id` itself.
 * The text must not be changed or released: it is a constant of the library, a text of the
 * reader's catalogue (valid while the reader holds that data) or `id`. */
VANTREL_API const char* GetItemNameByID(const GeneralInfo* info, const char* id);

/* Names of coded values. Every result is a constant text owned by the library. Unless said
 * otherwise only the low byte of the value counts. Where an unknown value is logged, the line
 * goes through the log of the last ParseReplay. */

/* 0 "to all", 1 "to allies", 2 "to obs", other values (whole integer) "to specific player". */
VANTREL_API const char* ChatModeToStr(int32_t mode);
/* 0 "Team and race selectable", 1 "Team not selectable", 3 "Team and race not selectable",
 * 4 "Races fixed to random", 204 "Automated match making (ladder)"; else "Unknown" (logged). */
VANTREL_API const char* RaceSelectModeToStr(int32_t mode);
/* 1 "Slow", 2 "Normal", 3 "Fast"; else "Unknown" (logged). */
VANTREL_API const char* GameSpeedToStr(int32_t speed);
/* 0 "Disabled", 2 "Obs on defeat", 3 "On", 4 "Referees"; else "Unknown" (logged). */
VANTREL_API const char* ObserversToStr(int32_t observers);
/* 1 "Map explored", 2 "No fog of war", 4 "Default", 15 "Hide terrain"; else "Unknown" (logged). */
VANTREL_API const char* VisibilityToStr(int32_t visibility);
/* 1 "Ladder1on1orFFA", 9 "Custom", 13 "Single", 32 "TeamGameATorRT"; else "Unknown" (logged). */
VANTREL_API const char* GameTypeToStr(int32_t type);
/* 0 "False", else "True". */
VANTREL_API const char* BoolToStr(int32_t value);
/* 1 "Train unit" ... 9 "Make upgrade" (VANTREL_EVENT_...); else "Unknown". */
VANTREL_API const char* EventTypeToStr(int32_t type);
/* 1 "Connection closed by REMOTE game", 12 "Connection closed by LOCAL game" (whole integer);
 * else "Unknown value". */
VANTREL_API const char* LeaveTypeToStr(int32_t reason);
/* 1 "Add to selection", 2 "Remove from selection" (whole integer); else "Unknown select mode". */
VANTREL_API const char* SelectModeToStr(int32_t mode);

/* Function types of the exports, for programs that look them up with dlsym. */
typedef bool (*ParseReplayFunc)(ParserData*, const char*);
typedef int32_t (*ParseCompressedDataFunc)(CompressedDataParams*);
typedef void (*FreeParserDataFunc)(GeneralInfo*);
typedef bool (*GetDllInfoFunc)(int32_t*);
typedef int32_t (*TranslateDataMessageFunc)(const ActionRecord*, char**);
typedef const char* (*GetPlayerNameByIDFunc)(const GeneralInfo*, int32_t);
typedef const char* (*GetItemNameByIDFunc)(const GeneralInfo*, const char*);
typedef const char* (*ValueToStrFunc)(int32_t);

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(GameTime) == 16, "GameTime is four 32-bit integers");
static_assert(sizeof(((AbilityData*)nullptr)->ItemID) == 5,
              "an object id is four characters and a zero");
#endif

#endif /* VANTREL_H */
