#include "item_names.h"

#include <cstring>

#include "gamedata/log.h"
#include "object_lookup.h"
#include "order_names.h"

namespace vantrel {

const char* ItemName(const GeneralInfo* info, const char* id, CLog* log) {
  if (id == nullptr) return nullptr;
  const auto* bytes = reinterpret_cast<const unsigned char*>(id);
  if (bytes[2] == 0x0D) {
    if (const char* text = OrderName(static_cast<uint16_t>(bytes[0] | bytes[1] << 8))) return text;
    if (log != nullptr) {
      const uint32_t number =
          bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
      log->WriteNumber("Library: ERROR: unknown Item ID: 0x%xh\n", static_cast<int32_t>(number));
    }
    return "Unknown value";
  }
  if (info == nullptr) return id;
  const char* name = GetProperty(LookUpObject(*info, id), "Name");
  return name != nullptr ? name : id;
}

const char* StoredIdName(const GeneralInfo* info, const char* storedId, CLog* log,
                         char (&scratch)[5]) {
  if (!IsStoredOrderNumber(storedId)) return ItemName(info, storedId, log);
  for (int i = 0; i < 4; ++i)
    scratch[i] = storedId[3 - i];
  scratch[4] = '\0';
  return ItemName(info, scratch, log);
}

}  // namespace vantrel
