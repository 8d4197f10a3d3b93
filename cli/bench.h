#pragma once

#include <string>
#include <vector>

namespace quorvel::cli {

// `bench [--rounds N] FILE...`: the best of N rounds of the inflate floor, the parse modes and
// scan, for the given replays. Returns the exit status.
int Bench(const std::vector<std::string>& files, unsigned rounds);

}  // namespace quorvel::cli
