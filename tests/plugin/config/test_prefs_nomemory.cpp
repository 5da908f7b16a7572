// Saving when memory runs out part-way: the file keeps its settings. The
// Memory Manager's zero-filled blocks come from calloc, which this program
// replaces with one that can be told to fail for blocks of the record's size.
#include "config/DataHandling.h"
#include "config/prefsloader.h"

#include "support/TempConfigHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>

extern "C" void* __libc_calloc(std::size_t count, std::size_t size);

namespace {

std::atomic<bool> lgFailRecordBlocks{false};

}  // namespace

#if !defined(__SANITIZE_ADDRESS__)
extern "C" void* calloc(std::size_t count, std::size_t size) {
    // The record's block, with room for the Memory Manager's header in front.
    const std::size_t bytes = count * size;
    if (lgFailRecordBlocks && bytes >= cConfigSaveSize && bytes <= cConfigSaveSize + 64) return nullptr;
    return __libc_calloc(count, size);
}
#endif

namespace {

TEST(PrefsWithoutMemory, SaveThatCannotMakeItsRecordKeepsTheOldSettings) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer owns calloc";
#endif
    mvtest::TempConfigHome home;
    CreateConfigFile();
    pluginDataRec first{};
    ResetConfig(&first, true);
    first.sliders[0] = 42;
    ASSERT_TRUE(SaveConfig(&first));

    pluginDataRec second = first;
    second.sliders[0] = 7;
    lgFailRecordBlocks = true;
    const Boolean saved = SaveConfig(&second);
    lgFailRecordBlocks = false;
    EXPECT_FALSE(saved);

    pluginDataRec back{};
    ResetConfig(&back, true);
    ASSERT_TRUE(ReadConfig(&back)) << "the file lost its settings";
    EXPECT_EQ(back.sliders[0], 42);
}

}  // namespace
