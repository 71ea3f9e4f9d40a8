#include <gtest/gtest.h>

#include "sync/FieldMerge.h"
#include "sync/MatchKey.h"

namespace orvane::sync {
namespace {
using transfer::AddressFields;
using transfer::kLastName;
using transfer::kPhone;

TEST(MatchKey, SameFieldsUpToBlanksCaseAndPhoneFormatting) {
    const struct {
        AddressFields a, b;
    } same[] = {
        {{"John", "Smith", "1 Main St", "02134", "MA", "USA", "+1 (617) 555-0100"},
         {"  john ", "SMITH", "1  main st", "02134", "ma", "usa", "16175550100"}},
        {{"Élodie", "Ångström", "Rue Émile-Zola 3", "", "", "FRANCE", ""},
         {"élodie", "ångström", "rue émile-zola 3", "", "", "France", ""}},
        {{"Łukasz", "Żółć", "", "", "", "", ""}, {"łukasz", "żółć", "", "", "", "", ""}},
        {{"ΣΩΚΡΆΤΗΣ", "", "", "", "", "", ""}, {"σωκράτης", "", "", "", "", "", ""}},
        {{"Дмитрий", "ЁЛКИН", "", "", "", "", ""}, {"дмитрий", "ёлкин", "", "", "", "", ""}},
        {{"Anna\tMaria", "Ÿves", "", "", "", "", ""}, {"anna maria", "ÿves", "", "", "", "", ""}},
    };
    for (const auto& [a, b] : same) EXPECT_EQ(MatchKey(a), MatchKey(b)) << a[0] << " / " << b[0];
}

TEST(MatchKey, DifferentPeopleDiffer) {
    const AddressFields john{"John", "Smith", "1 Main St", "02134", "MA", "USA", "555-0100"};
    for (std::size_t field = 0; field < 7; ++field) {
        AddressFields other = john;
        other[field] += "9";
        EXPECT_NE(MatchKey(john), MatchKey(other)) << field;
    }
    // Every digit counts in a phone, zeros too: only the formatting goes.
    const struct {
        const char *a, *b;
    } phones[] = {{"555-0100", "555-1"}, {"555-0100", "555-01"}, {"0555 0100", "555 0100"}, {"555 0", "555"}};
    for (const auto& [a, b] : phones) {
        AddressFields withA = john, withB = john;
        withA[kPhone] = a;
        withB[kPhone] = b;
        EXPECT_NE(MatchKey(withA), MatchKey(withB)) << a << " / " << b;
    }
    // Values do not run into the next field.
    EXPECT_NE(MatchKey({"Ann", "Lee"}), MatchKey({"Ann Lee", ""}));
    EXPECT_NE(MatchKey({"Jon", "Smith"}), MatchKey({"John", "Smith"}));
    // Only letters fold: "ß" and "ss" are different names here.
    EXPECT_NE(FoldedForMatch("Strauß"), FoldedForMatch("Strauss"));
    EXPECT_EQ(FoldedForMatch("ĲSSEL İstanbul Œuvre"), "ĳssel istanbul œuvre");
    // Bytes that are no UTF-8 are compared as they are.
    EXPECT_EQ(FoldedForMatch("A\xE9z"), "a\xE9z");
}

// A row per rule: base, local, server -> merged values and conflicts.
TEST(FieldMerge, OneRowPerRule) {
    const AddressFields base{"Ann", "Lee", "1 Main St", "1000", "VD", "CH", "555"};
    auto with = [&](std::size_t field, const std::string& value) {
        AddressFields f = base;
        f[field] = value;
        return f;
    };
    const struct {
        const char* rule;
        AddressFields local, server, expectedLocal, expectedServer;
        std::size_t conflicts;
    } rows[] = {
        {"nothing changed", base, base, base, base, 0},
        {"changed here only", with(1, "Lee-Ray"), base, with(1, "Lee-Ray"), with(1, "Lee-Ray"), 0},
        {"changed on the server only", base, with(6, "556"), with(6, "556"), with(6, "556"), 0},
        {"changed identically on both", with(2, "2 Main St"), with(2, "2 Main St"), with(2, "2 Main St"),
         with(2, "2 Main St"), 0},
        {"emptied on one side", with(4, ""), base, with(4, ""), with(4, ""), 0},
        {"same field changed differently", with(1, "Lee-Ray"), with(1, "Leigh"), with(1, "Lee-Ray"), with(1, "Leigh"),
         1},
    };
    for (const auto& row : rows) {
        const FieldMergeResult result = MergeFields(base, row.local, row.server);
        EXPECT_EQ(result.local, row.expectedLocal) << row.rule;
        EXPECT_EQ(result.server, row.expectedServer) << row.rule;
        EXPECT_EQ(result.conflicts.size(), row.conflicts) << row.rule;
    }
}

TEST(FieldMerge, DifferentFieldsOfOneAddressAreBothKept) {
    const AddressFields base{"Ann", "Lee", "1 Main St", "1000", "VD", "CH", "555"};
    const AddressFields local{"Ann", "Lee-Ray", "1 Main St", "1000", "VD", "CH", "555"};
    const AddressFields server{"Ann", "Lee", "1 Main St", "1000", "VD", "CH", "+41 555"};
    const FieldMergeResult result = MergeFields(base, local, server);
    const AddressFields both{"Ann", "Lee-Ray", "1 Main St", "1000", "VD", "CH", "+41 555"};
    EXPECT_EQ(result.local, both);
    EXPECT_EQ(result.server, both);
    EXPECT_EQ(result.base, both);
    EXPECT_TRUE(result.conflicts.empty());
}

TEST(FieldMerge, AConflictKeepsEachSideAndTheBaseUntilAChoiceIsMade) {
    const AddressFields base{"Ann", "Lee", "1 Main St", "1000", "VD", "CH", "555"};
    AddressFields local = base, server = base;
    local[kLastName] = "Lee-Ray";
    local[kPhone] = "777";
    server[kLastName] = "Leigh";
    FieldMergeResult held = MergeFields(base, local, server);
    ASSERT_EQ(held.conflicts.size(), 1u);
    EXPECT_EQ(held.conflicts[0].field, std::size_t{transfer::kLastName});
    EXPECT_EQ(held.conflicts[0].local, "Lee-Ray");
    EXPECT_EQ(held.conflicts[0].server, "Leigh");
    EXPECT_EQ(held.base[kLastName], "Lee");
    EXPECT_EQ(held.server[kPhone], "777");  // the other field still goes across

    const FieldMergeResult takeServer = MergeFields(base, local, server, {{transfer::kLastName, Side::Server}});
    EXPECT_TRUE(takeServer.conflicts.empty());
    EXPECT_EQ(takeServer.local[kLastName], "Leigh");
    EXPECT_EQ(takeServer.base[kLastName], "Leigh");
    const FieldMergeResult takeLocal = MergeFields(base, local, server, {{transfer::kLastName, Side::Local}});
    EXPECT_EQ(takeLocal.server[kLastName], "Lee-Ray");
    // A choice for a field that is not in conflict changes nothing.
    const FieldMergeResult stray = MergeFields(base, local, server, {{transfer::kPhone, Side::Server}});
    EXPECT_EQ(stray.local[kPhone], "777");
}

}  // namespace
}  // namespace orvane::sync
