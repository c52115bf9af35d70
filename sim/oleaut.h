// Counters of OLE Automation objects still alive, so tests can assert that nothing leaks.
#pragma once

namespace sim {

struct Automation {
    long liveStrings = 0;  // BSTRs allocated and not freed
    long liveArrays = 0;   // SAFEARRAYs created and not destroyed
};

}  // namespace sim
