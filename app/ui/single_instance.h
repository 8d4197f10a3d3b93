#pragma once

#include <QLockFile>
#include <memory>

// The name that only one running copy of the program may hold.
inline constexpr char kInstanceLockName[] =
    "QUORVEL_The_REPLAY_ANALIZATOR_Version_2_N_by_QuorvelTEAM_forever_D";

// Takes the program's single-instance lock: a lock file named after kInstanceLockName in the
// user's runtime folder. Null when another running copy holds it. A lock left behind by a copy
// that died is taken over.
std::unique_ptr<QLockFile> TakeInstanceLock();
