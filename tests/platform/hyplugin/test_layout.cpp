// The host interface is one layout whatever language includes it.
#include "hyplugin/HYPlugin.h"

#include "LayoutFields.h"

#include <gtest/gtest.h>

#include <vector>

extern "C" const size_t kLayoutInC[];
extern "C" const size_t kLayoutInCCount;

namespace {

#define MV_OFFSET(record, field) offsetof(record, field), sizeof(record::field),
#define MV_SIZE(record) sizeof(record),

TEST(HostInterfaceLayout, CAndCppAgreeOnEveryFieldAndRecord)
{
    const std::vector<size_t> cpp{MV_HY_FIELDS(MV_OFFSET) MV_HY_RECORDS(MV_SIZE)};
    const std::vector<size_t> c(kLayoutInC, kLayoutInC + kLayoutInCCount);
    EXPECT_EQ(c, cpp);
}

} // namespace
