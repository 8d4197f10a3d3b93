#pragma once

#include <string>

namespace platform {

// The program folder, ending in '/': the folder of the running executable, or the folder named
// by the environment variable QUORVEL_PROGRAM_DIR when it is set and not empty.
std::string ProgramDirectory();

}  // namespace platform
