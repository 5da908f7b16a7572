// Blocks the Memory Manager did not make are answered without being read:
// the sanitizer build turns any read in front of them into a failure.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "memory/MacMemory.h"

namespace {

TEST(Memory, ForeignBlocksHaveNoSize) {
    std::unique_ptr<char, decltype(&std::free)> fromMalloc(static_cast<char*>(std::malloc(64)), &std::free);
    char onTheStack[64] = {};
    Ptr ours = NewPtr(64);
    ASSERT_NE(ours, nullptr);
    const Ptr foreign[] = {fromMalloc.get(), onTheStack, onTheStack + 32, ours + 16};
    for (Ptr p : foreign) EXPECT_EQ(GetPtrSize(p), 0) << static_cast<void*>(p);
    EXPECT_EQ(GetPtrSize(ours), 64);

    Handle h = NewHandleClear(8);
    Handle notAHandle = reinterpret_cast<Handle>(fromMalloc.get());
    EXPECT_EQ(GetHandleSize(h), 8);
    EXPECT_EQ(GetHandleSize(notAHandle), 0);
    HLock(notAHandle);  // nothing to lock, nothing read
    EXPECT_EQ(HGetState(notAHandle), 0);
    DisposeHandle(notAHandle);  // not ours: left alone
    DisposePtr(onTheStack);

    DisposePtr(ours);
    EXPECT_EQ(GetPtrSize(ours), 0);  // disposed of: no longer a block
    DisposeHandle(h);
    EXPECT_EQ(GetHandleSize(h), 0);
}

}  // namespace
