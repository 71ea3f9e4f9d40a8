#include <gtest/gtest.h>

#include "core/Error.h"
#include "core/Variant.h"

using orvane::Error;
using orvane::Variant;
using orvane::VariantArray;

TEST(Variant, JoiningWithEmptyTextTurnsNullAndEmptyIntoEmptyText) {
    EXPECT_EQ(Variant().JoinEmpty(), "");
    EXPECT_EQ(Variant::Null().JoinEmpty(), "");
    EXPECT_EQ(Variant(-42).JoinEmpty(), "-42");
    EXPECT_EQ(Variant("Ada").JoinEmpty(), "Ada");
    EXPECT_THROW(Variant(VariantArray(0, 0, 0, 0)).JoinEmpty(), Error);
}

TEST(Variant, NullCannotBeReadAsNumberOrText) {
    try {
        (void)Variant::Null().ToText();
        FAIL() << "null converted to text";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 94);
        EXPECT_NE(e.Description().find("Null"), std::string::npos);
    }
    EXPECT_THROW((void)Variant::Null().ToLong(), Error);
}

TEST(Variant, NumbersFromTextAndOverflow) {
    EXPECT_EQ(Variant("17").ToLong(), 17);
    EXPECT_EQ(Variant("-2147483648").ToLong(), INT32_MIN);
    EXPECT_THROW((void)Variant("2147483648").ToLong(), Error);
    EXPECT_THROW((void)Variant("12abc").ToLong(), Error);
    EXPECT_EQ(Variant().ToLong(), 0);
}

TEST(Variant, EqualityTellsKindsApart) {
    EXPECT_EQ(Variant(0), Variant(0));
    EXPECT_FALSE(Variant(0) == Variant("0"));
    EXPECT_FALSE(Variant() == Variant::Null());
    EXPECT_FALSE(Variant("") == Variant());
}

TEST(VariantArray, BoundsAndElementsPerDimension) {
    VariantArray a(0, 7, 0, 0);
    EXPECT_EQ(a.LBound(1), 0);
    EXPECT_EQ(a.UBound(1), 7);
    EXPECT_EQ(a.UBound(2), 0);
    a.At(3, 0) = "x";
    EXPECT_EQ(a.At(3, 0).Text(), "x");
    EXPECT_TRUE(a.At(2, 0).IsEmpty());
    EXPECT_THROW(a.At(8, 0), Error);
    EXPECT_THROW(a.At(0, 1), Error);
    EXPECT_THROW((void)a.LBound(3), Error);

    VariantArray b(-2, 1, 5, 6);
    b.At(-2, 6) = 9;
    EXPECT_EQ(b.At(-2, 6).ToLong(), 9);
    EXPECT_EQ(b.LBound(2), 5);
}

TEST(VariantArray, AdoptedElementsAreSecondIndexMajor) {
    std::vector<Variant> rows{1, "one", 2, "two", 3, "three"};
    VariantArray a(2, 3, std::move(rows));
    EXPECT_EQ(a.UBound(1), 1);
    EXPECT_EQ(a.UBound(2), 2);
    EXPECT_EQ(a.At(0, 2).ToLong(), 3);
    EXPECT_EQ(a.At(1, 1).Text(), "two");
    EXPECT_THROW(VariantArray(2, 2, std::vector<Variant>(3)), Error);
}

TEST(Variant, CopiesOfArraysAreIndependent) {
    Variant v(VariantArray(0, 1, 0, 0));
    v.Array().At(0, 0) = "a";
    Variant copy = v;
    copy.Array().At(0, 0) = "b";
    EXPECT_EQ(v.Array().At(0, 0).Text(), "a");
    EXPECT_EQ(copy.Array().At(0, 0).Text(), "b");
    EXPECT_FALSE(v == copy);
}
