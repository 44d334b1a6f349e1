// Memory for arrays a caller fills whole: large ones arrive with every page
// in place (mincore says so before the first write), small ones from the
// heap, none of them counted as the surface's blocks.

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "mr/block.h"

using namespace facetry;

namespace {

long long counted = 0;
void count(long long bytes) { counted += bytes; }

// The pages of [memory, memory + bytes) that are resident, and all of them.
std::pair<std::size_t, std::size_t> residentPages(void* memory, std::size_t bytes) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((bytes + page - 1) / page);
    EXPECT_EQ(0, mincore(memory, bytes, resident.data()));
    std::size_t in = 0;
    for (unsigned char r : resident) in += r & 1;
    return {in, resident.size()};
}

TEST(ArrayMemory, LargeArraysArriveWithTheirPagesInPlace) {
    setBlockObserver(count);
    for (std::size_t bytes : {std::size_t(1) << 20, std::size_t(24) << 20, (std::size_t(3) << 20) + 12}) {
        SCOPED_TRACE(bytes);
        counted = 0;
        void* memory = takeArrayMemory(bytes);
        const auto pages = residentPages(memory, bytes);
        EXPECT_EQ(pages.second, pages.first);
        std::memset(memory, 0x5a, bytes);
        EXPECT_EQ(0x5a, static_cast<unsigned char*>(memory)[bytes - 1]);
        giveBackArrayMemory(memory, bytes);
        EXPECT_EQ(0, counted);
    }
    // A surface block of the same size is counted.
    {
        const std::size_t points = (std::size_t(1) << 20) / sizeof(Vector);
        PointBlock block(points);
        EXPECT_EQ(static_cast<long long>(points * sizeof(Vector)), counted);
    }
    setBlockObserver(nullptr);
}

TEST(ArrayMemory, SmallAndEmptyArraysAreUsable) {
    for (std::size_t bytes : {std::size_t(0), std::size_t(1), std::size_t(4096), (std::size_t(1) << 20) - 1}) {
        void* memory = takeArrayMemory(bytes);
        ASSERT_NE(nullptr, memory);
        std::memset(memory, 1, bytes);
        giveBackArrayMemory(memory, bytes);
    }
    giveBackArrayMemory(nullptr, 100);
}

}  // namespace
