// The C face of the library: the two exports over the process-wide CBLPParser. No exception
// leaves through here.
#include "blp_parser.h"
#include "ostrak.h"

namespace {

ostrak::CBLPParser* g_parser = nullptr;

__attribute__((destructor)) void OnUnload() {
  delete g_parser;
  g_parser = nullptr;
}

}  // namespace

extern "C" {

OSTRAK_API bool InitBLPParser(TCustomMemoryManager* memory) {
  // The first manager stays for the whole run: results already handed out live in it.
  if (g_parser != nullptr) return true;
  if (memory == nullptr) return false;
  try {
    g_parser = new ostrak::CBLPParser(memory);
    return true;
  } catch (...) {
    return false;
  }
}

OSTRAK_API BlpBitmap** ParseBlpData(const uint8_t* data) {
  if (g_parser == nullptr) return nullptr;
  try {
    return g_parser->Parse(data);
  } catch (...) {
    return nullptr;
  }
}

}  // extern "C"
