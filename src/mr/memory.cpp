// How much memory this process can still take, as the system reports it.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>

#include "mr/memory.h"

namespace facetry {

namespace {

constexpr std::size_t kUnknown = std::numeric_limits<std::size_t>::max();

// MemAvailable of /proc/meminfo: what can be had without swapping.
std::size_t meminfoAvailable() {
    std::ifstream in("/proc/meminfo");
    std::string key;
    unsigned long long kib;
    while (in >> key >> kib) {
        if (key == "MemAvailable:") return static_cast<std::size_t>(kib) * 1024;
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return kUnknown;
}

std::size_t readNumber(const char* path) {
    std::ifstream in(path);
    unsigned long long value;
    if (in >> value) return static_cast<std::size_t>(value);
    return kUnknown;  // missing, or "max"
}

// The room left under this process's cgroup limit.
std::size_t cgroupAvailable() {
    std::size_t limit = readNumber("/sys/fs/cgroup/memory.max");
    std::size_t used = readNumber("/sys/fs/cgroup/memory.current");
    if (limit == kUnknown || used == kUnknown) return kUnknown;
    return limit > used ? limit - used : 0;
}

// The room left under the address-space limit.
std::size_t addressSpaceAvailable() {
    struct rlimit limit;
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnknown;
    std::ifstream in("/proc/self/statm");
    unsigned long long pages;
    if (!(in >> pages)) return kUnknown;
    std::size_t used = static_cast<std::size_t>(pages) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return limit.rlim_cur > used ? limit.rlim_cur - used : 0;
}

}  // namespace

std::size_t systemAvailableMemory() {
    std::size_t available = meminfoAvailable();
    std::size_t cgroup = cgroupAvailable(), address = addressSpaceAvailable();
    if (cgroup < available) available = cgroup;
    if (address < available) available = address;
    return available;
}

}  // namespace facetry
