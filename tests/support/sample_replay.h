#pragma once

#include "support/byte_writer.h"

namespace testsupport {

// The sample replay delivered in data/samples/sample.w3g: a two-minute one-versus-one game on
// (2)EchoIsles between "Alder" (host, team 0) and "Brisk" (team 1), with chat, a few commands of
// each player and both leaves (Brisk wins). The same bytes every time.
Bytes SampleReplay();

}  // namespace testsupport
