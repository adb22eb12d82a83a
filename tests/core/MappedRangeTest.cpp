// The check of memory a module names: covered ranges, gaps, access and the
// edges of the address space.
#include "host/core/MappedRange.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace kestrava {
namespace {

TEST(MappedRangeTest, ARangeMustLieWhollyInMappingsWithItsAccess)
{
    const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    // Three pages: the first writable, the second read-only, the third gone.
    auto* base = static_cast<uint8_t*>(
        ::mmap(nullptr, 3 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(base, MAP_FAILED);
    ASSERT_EQ(::mprotect(base + page, page, PROT_READ), 0);
    ASSERT_EQ(::munmap(base + 2 * page, page), 0);
    const auto at = [&](size_t offset) { return reinterpret_cast<uintptr_t>(base) + offset; };

    EXPECT_TRUE(MappedRange(at(0), page, true));
    EXPECT_TRUE(MappedRange(at(0), 2 * page, false)) << "two mappings in a row";
    EXPECT_FALSE(MappedRange(at(0), 2 * page, true)) << "the second page is read-only";
    EXPECT_FALSE(MappedRange(at(page), page + 1, false)) << "one byte into the hole";
    EXPECT_TRUE(MappedRange(at(page - 1), page + 1, false));
    EXPECT_FALSE(MappedRange(at(2 * page), 1, false));

    int onTheStack[4] = {};
    EXPECT_TRUE(MappedRange(reinterpret_cast<uintptr_t>(onTheStack), sizeof onTheStack, true));
    EXPECT_TRUE(MappedRange(at(2 * page), 0, true)) << "an empty range needs nothing";
    EXPECT_FALSE(MappedRange(0, 16, false));
    EXPECT_FALSE(MappedRange(at(0), SIZE_MAX, false)) << "wraps around";
    ::munmap(base, 2 * page);
}

} // namespace
} // namespace kestrava
