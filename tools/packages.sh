# The Debian packages the build needs; sourced by run.sh and test.sh.
BUILD_PACKAGES=(g++ cmake ninja-build pkgconf zlib1g-dev libdeflate-dev libjpeg62-turbo-dev libstorm-dev nlohmann-json3-dev qt6-base-dev)
TEST_PACKAGES=(libgtest-dev)
# Only for the fuzz step of test.sh: clang and its fuzzer and sanitizer runtimes.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
