#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>

#include "vantrel.h"

struct CLog;

namespace vantrel {

// What FormatEntryText made.
struct EntryText {
  bool made = false;  // the entry has a text
  size_t length = 0;  // bytes in the buffer (also for "No translation ..." when made is false)
};

// The text of one entry of the action list into `buffer`: leave, chat and command entries, each
// beginning with the time, the player's name in 15 columns and the counted flag. Names of
// players come from `info` (may be null), names of objects through its game data reader.
EntryText FormatEntryText(const ActionRecord& entry, const GeneralInfo* info, CLog* log,
                          char* buffer, size_t size);

// Makes the texts of many entries of one GeneralInfo, as FormatEntryText does, keeping what
// entries share: the name column of each player and the time of the last entry. The players of
// `info` must not change while it is used.
class EntryTextMaker {
 public:
  EntryTextMaker(const GeneralInfo* info, CLog* log);
  EntryTextMaker(const EntryTextMaker&) = delete;
  EntryTextMaker& operator=(const EntryTextMaker&) = delete;

  EntryText Make(const ActionRecord& entry, char* buffer, size_t size);

 private:
  static constexpr size_t kNameColumns = 15;
  struct NameColumn {
    const char* name;
    size_t length;
    size_t blanks;  // that pad the name to kNameColumns characters
    bool padded;    // `text` holds the name and its blanks (one-byte characters only)
    char text[64];
  };
  const NameColumn& PlayerColumn(uint8_t playerID);

  const GeneralInfo* info_;
  CLog* log_;
  // By player id, made when first needed: a maker for one text costs no more than the text.
  std::array<NameColumn, 256> columns_;
  std::bitset<256> columnMade_;
  bool timeMade_ = false;
  GameTime time_{};
  char timeText_[64] = {};  // the time of `time_`, read up to 32 bytes at once
  size_t timeLength_ = 0;
};

}  // namespace vantrel
