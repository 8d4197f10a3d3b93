// A stand-in for the parser library that reports the interface version it was built with and,
// unless told to, exports nothing else.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) bool GetDllInfo(int32_t* versions) {
  versions[0] = FAKE_PARSER_MAJOR;
  versions[1] = FAKE_PARSER_MINOR;
  return true;
}
