#pragma once

#include "data/UtDM.h"
#include "data/UtQuery.h"

// The start-up lock wait and the statements' busy timeout, put back as they were when
// the test that shortened or lengthened them ends.
struct SavedLockWaits {
    int wait = TDM::StartupLockWaitMs, busy = TConnection::DefaultBusyTimeoutMs;
    ~SavedLockWaits() {
        TDM::StartupLockWaitMs = wait;
        TConnection::DefaultBusyTimeoutMs = busy;
    }
};
