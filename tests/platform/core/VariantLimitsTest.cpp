// Text read as a 32-bit whole number at the edges of its range: the largest
// and smallest numbers convert, one past either edge is an overflow.
#include <gtest/gtest.h>

#include <cstdint>

#include "core/Error.h"
#include "core/Variant.h"

using orvane::Error;
using orvane::Variant;

namespace {

// The number of the error reading text as a number raises, 0 for none.
int ErrorNumberOf(const char* text) {
    try {
        (void)Variant(text).ToLong();
    } catch (const Error& e) {
        return e.Number();
    }
    return 0;
}

TEST(VariantLimits, TheEdgesOfTheRangeConvertWithoutOverflow) {
    EXPECT_EQ(Variant("2147483647").ToLong(), INT32_MAX);
    EXPECT_EQ(Variant("2147483646").ToLong(), INT32_MAX - 1);
    EXPECT_EQ(Variant("-2147483648").ToLong(), INT32_MIN);
    EXPECT_EQ(Variant("-2147483647").ToLong(), INT32_MIN + 1);
    EXPECT_EQ(Variant("0").ToLong(), 0);
}

TEST(VariantLimits, OnePastEitherEdgeIsAnOverflowAndNotATypeMismatch) {
    EXPECT_EQ(ErrorNumberOf("2147483648"), orvane::errnum::Overflow);
    EXPECT_EQ(ErrorNumberOf("-2147483649"), orvane::errnum::Overflow);
    EXPECT_EQ(ErrorNumberOf("12abc"), orvane::errnum::TypeMismatch);
    EXPECT_EQ(ErrorNumberOf("2147483647"), 0);
    EXPECT_EQ(ErrorNumberOf("-2147483648"), 0);
}

}  // namespace
