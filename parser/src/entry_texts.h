#pragma once

#include <cstddef>

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

}  // namespace vantrel
