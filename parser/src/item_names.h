#pragma once

#include "vantrel.h"

struct CLog;

namespace vantrel {

// The readable name of an id: an order number (third byte 0x0D, in the byte order of the action)
// by the order text table ("Unknown value" and a log line for a number without text); an object
// id (reading order) by the "Name" of its catalogue entry; otherwise the id itself.
const char* ItemName(const GeneralInfo* info, const char* id, CLog* log);

// The name of an id as the field records store it (reading order): order numbers are turned
// back into the byte order of the action first, so that they are named too. `scratch` holds the
// turned id while the result is used.
const char* StoredIdName(const GeneralInfo* info, const char* storedId, CLog* log,
                         char (&scratch)[5]);

// True when a stored id (reading order) is an order number.
inline bool IsStoredOrderNumber(const char* storedId) {
  return static_cast<unsigned char>(storedId[1]) == 0x0D;
}

}  // namespace vantrel
