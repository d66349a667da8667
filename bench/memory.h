#pragma once
// Resident memory of the benchmark process, as the kernel counts it.

#include <fstream>
#include <string>
#include <unistd.h>

namespace mivora::bench {

inline long residentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The most the process has held since the last resetPeak (VmHWM).
inline long peakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string word;
    long kilobytes = 0;
    while (status >> word)
        if (word == "VmHWM:" && status >> kilobytes)
            break;
    return kilobytes;
}

inline void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace mivora::bench
