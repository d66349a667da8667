#pragma once
// Resident memory of the benchmark process, as the kernel counts it.

#include <fstream>
#include <unistd.h>

namespace mivora::bench {

inline long residentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

} // namespace mivora::bench
