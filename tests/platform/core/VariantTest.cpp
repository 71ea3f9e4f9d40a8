#include <gtest/gtest.h>

#include "core/Error.h"
#include "core/TextArena.h"
#include "core/Variant.h"
#include "ErrorOf.h"

using orvane::Error;
using orvane::test::ErrorNumberOf;
namespace errnum = orvane::errnum;
using orvane::Variant;
using orvane::VariantArray;

TEST(Variant, JoiningWithEmptyTextTurnsNullAndEmptyIntoEmptyText) {
    EXPECT_EQ(Variant().JoinEmpty(), "");
    EXPECT_EQ(Variant::Null().JoinEmpty(), "");
    EXPECT_EQ(Variant(-42).JoinEmpty(), "-42");
    EXPECT_EQ(Variant("Ada").JoinEmpty(), "Ada");
    EXPECT_EQ(ErrorNumberOf([] { Variant(VariantArray(0, 0, 0, 0)).JoinEmpty(); }), errnum::TypeMismatch);
}

TEST(Variant, NullCannotBeReadAsNumberOrText) {
    const orvane::Error e = orvane::test::ErrorOf([&] { (void)Variant::Null().ToText(); });
    EXPECT_EQ(e.Number(), 94);
    EXPECT_NE(e.Description().find("Null"), std::string::npos);
    EXPECT_EQ(ErrorNumberOf([] { (void)Variant::Null().ToLong(); }), errnum::InvalidUseOfNull);
}

TEST(Variant, NumbersFromTextAndOverflow) {
    EXPECT_EQ(Variant("17").ToLong(), 17);
    EXPECT_EQ(Variant("-2147483648").ToLong(), INT32_MIN);
    EXPECT_EQ(ErrorNumberOf([] { (void)Variant("2147483648").ToLong(); }), errnum::Overflow);
    EXPECT_EQ(ErrorNumberOf([] { (void)Variant("12abc").ToLong(); }), errnum::TypeMismatch);
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
    EXPECT_EQ(ErrorNumberOf([&] { a.At(8, 0); }), errnum::SubscriptOutOfRange);
    EXPECT_EQ(ErrorNumberOf([&] { a.At(0, 1); }), errnum::SubscriptOutOfRange);
    EXPECT_EQ(ErrorNumberOf([&] { (void)a.LBound(3); }), errnum::SubscriptOutOfRange);

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
    EXPECT_EQ(ErrorNumberOf([] { VariantArray(2, 2, std::vector<Variant>(3)); }), errnum::SubscriptOutOfRange);
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

TEST(VariantText, CopiesShareTheTextAndOutliveTheOriginal) {
    std::vector<Variant> copies;
    {
        Variant original(std::string(5000, 'x') + "end");
        copies.assign(3, original);
        copies.push_back(std::move(original));
        EXPECT_TRUE(original.IsEmpty());  // a moved-from value is the empty value
    }
    for (const Variant& copy : copies) {
        EXPECT_EQ(copy.TextView().data(), copies[0].TextView().data());  // one text, not four
        EXPECT_EQ(copy.Text().size(), 5003u);
    }
    copies[1] = copies[2];
    copies[2] = Variant(7);
    copies[3] = copies[3];
    EXPECT_EQ(copies[1].Text().substr(4998), "xxend");
    EXPECT_EQ(copies[3].ToText(), copies[0].ToText());
}

TEST(VariantText, ViewingTextWithoutACopy) {
    EXPECT_EQ(Variant("Ada").TextView(), "Ada");
    EXPECT_EQ(Variant("").TextView(), "");
    EXPECT_NE(Variant("").TextView().data(), nullptr);  // empty text stays text, not a missing value
    EXPECT_EQ(Variant().TextView(), "");
    EXPECT_EQ(Variant::Null().TextView(), "");
    EXPECT_EQ(ErrorNumberOf([] { (void)Variant(5).TextView(); }), errnum::TypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { (void)Variant(VariantArray(0, 0, 0, 0)).TextView(); }), errnum::TypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { (void)Variant(5).Text(); }), errnum::TypeMismatch);
    EXPECT_EQ(Variant(std::string("a\0b", 3)).Text(), std::string("a\0b", 3));
}

// Many texts from one arena span several shared blocks and own blocks for
// long texts; each keeps its characters after the arena and its neighbours
// are gone, in whatever order they go.
TEST(TextArena, TextsOutliveTheArenaAndEachOther) {
    std::vector<Variant> values;
    {
        orvane::TextArena arena;
        for (int i = 0; i < 200'000; ++i)
            values.push_back(arena.Add(i % 50'000 == 7 ? std::string(3000, 'L') : "row " + std::to_string(i)));
        values.push_back(arena.Add(""));
    }
    EXPECT_EQ(values.back(), Variant(""));
    EXPECT_EQ(values[123'456].Text(), "row 123456");
    EXPECT_EQ(values[50'007].Text(), std::string(3000, 'L'));
    EXPECT_EQ(values[0], Variant("row 0"));
    Variant kept = values[199'999];
    for (std::size_t i = 0; i < values.size(); i += 2) values[i] = Variant();
    values.erase(values.begin(), values.begin() + 100'000);
    EXPECT_TRUE(values[0].IsEmpty());
    EXPECT_EQ(values[1].Text(), "row 100001");
    values.clear();
    EXPECT_EQ(kept.Text(), "row 199999");
}

TEST(VariantArray, MillionsOfElementsAcrossBlocks) {
    const std::int32_t rows = 300'000;
    VariantArray a(0, 1, 0, rows - 1);
    for (std::int32_t j = 0; j < rows; j += 997) a.At(1, j) = "r" + std::to_string(j);
    a.At(0, rows - 1) = rows;
    EXPECT_EQ(a.At(1, 131'604).Text(), "r131604");  // past the first block
    EXPECT_TRUE(a.At(1, 131'605).IsEmpty());
    EXPECT_EQ(a.At(0, rows - 1).ToLong(), rows);
    EXPECT_EQ(ErrorNumberOf([&] { a.At(0, rows); }), errnum::SubscriptOutOfRange);

    Variant whole(std::move(a));
    Variant copy = whole;
    EXPECT_EQ(copy, whole);
    copy.Array().At(1, 0) = "changed";
    EXPECT_FALSE(copy == whole);
    EXPECT_EQ(whole.Array().At(1, 0).Text(), "r0");
}

// An array gives its texts back a run of one block at a time: copies taken
// out of it, and texts of the same blocks held elsewhere, stay readable.
TEST(VariantArray, TextsTakenOutOutliveTheArray) {
    std::vector<Variant> kept;
    {
        orvane::TextArena arena;
        const std::int32_t rows = 40'000;
        VariantArray a(0, 1, 0, rows - 1);
        for (std::int32_t j = 0; j < rows; ++j) {
            a.At(0, j) = j % 3 == 0 ? Variant("own " + std::to_string(j)) : Variant(j);
            a.At(1, j) = arena.Add("row " + std::to_string(j));
        }
        for (std::int32_t j = 0; j < rows; j += 9'999) kept.push_back(a.At(1, j));
        kept.push_back(a.At(0, 3));
        kept.push_back(arena.Add("after"));
    }
    EXPECT_EQ(kept.front().Text(), "row 0");
    EXPECT_EQ(kept[3].Text(), "row 29997");
    EXPECT_EQ(kept[kept.size() - 2].Text(), "own 3");
    EXPECT_EQ(kept.back().Text(), "after");
}
