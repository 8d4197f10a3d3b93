// Writes the sample replay: make-sample-replay OUT.w3g
#include <cstdio>
#include <exception>

#include "support/sample_replay.h"
#include "support/temp_dir.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make-sample-replay OUT.w3g\n", stderr);
    return 2;
  }
  const testsupport::Bytes bytes = testsupport::SampleReplay();
  FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
      std::fclose(out) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
