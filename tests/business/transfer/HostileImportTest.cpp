// Files that an unlucky user or an attacker hands to the import: paths that
// are not files, files too large, stray bytes, control characters, floods
// of problems and very wide CSV headers. Each goes through the real importer
// with real files and a real database.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CDataTransferTier.h"
#include "TempAppFolder.h"
#include "TransferTestSupport.h"
#include "core/Variant.h"
#include "transfer/AddressImporter.h"
#include "transfer/AddressKey.h"

using orvane::test::CrLf;
using orvane::test::Fields;
using orvane::test::TempAppFolder;
using namespace orvane::transfer;

namespace {

std::vector<AddressFields> StoredFields() {
    std::vector<AddressFields> rows;
    CDataTransferTier().ReadAddresses([&](const orvane::Variant& record) {
        AddressFields fields;
        for (std::int32_t i = 1; i <= 7; ++i) fields[static_cast<std::size_t>(i - 1)] = record.Array().At(i, 0).JoinEmpty();
        rows.push_back(fields);
    });
    return rows;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

class HostileImportTest : public ::testing::Test {
protected:
    TempAppFolder folder;

    std::string FileNamed(const std::string& name, const std::string& bytes) {
        folder.WriteFile(name, bytes);
        return (folder.Root() / name).string();
    }
    ImportSummary Import(const std::vector<std::pair<std::string, std::string>>& files) {
        AddressImporter importer;
        for (const auto& [path, label] : files) importer.ImportFile(path, label);
        return importer.Summary();
    }
};

TEST_F(HostileImportTest, WhatIsNotARegularFileOrIsTooLargeIsRefusedByNameAndTheOthersGoOn) {
    const std::string first = FileNamed("first.csv", "First Name\nAnn\n");
    const std::string last = FileNamed("last.vcf", CrLf({"BEGIN:VCARD", "N:Ray;Bob", "END:VCARD"}));
    const auto folderPath = folder.Root() / "a folder.vcf";
    std::filesystem::create_directory(folderPath);
    // A contact file just over the largest import: a valid header, then
    // nothing but blanks (the file is sparse, so it costs no disk).
    const std::string large = FileNamed("large.csv", "First Name\nZed\n");
    std::filesystem::resize_file(large, kMaxImportBytes + 1);
    const std::string limit = FileNamed("limit.csv", "First Name\nLim\n");
    std::filesystem::resize_file(limit, kMaxImportBytes);

    const ImportSummary summary = Import({{first, "first.csv"}, {folderPath.string(), "a folder.vcf"},
                                          {"/dev/zero", "/dev/zero"}, {large, "large.csv"}, {last, "last.vcf"}});
    EXPECT_EQ(summary.imported, 2u);
    EXPECT_EQ(summary.files, 2u);
    EXPECT_EQ(summary.filesRefused, 3u);
    ASSERT_EQ(summary.problems.size(), 3u) << Joined(summary.problems);
    EXPECT_EQ(summary.problems[0], "a folder.vcf: not read: it is a folder, not a file; nothing from it was stored");
    EXPECT_EQ(summary.problems[1], "/dev/zero: not read: it is a device, not a file; nothing from it was stored");
    EXPECT_EQ(summary.problems[2], "large.csv: not read: it is larger than 64 MB, the largest file an import reads; "
                                   "nothing from it was stored");
    EXPECT_EQ(StoredFields(), (std::vector<AddressFields>{Fields("Ann", "", "", "", "", "", ""),
                                                          Fields("Bob", "Ray", "", "", "", "", "")}));

    // A file of exactly the largest size is read.
    const ImportSummary atLimit = Import({{limit, "limit.csv"}});
    EXPECT_EQ(atLimit.files, 1u) << Joined(atLimit.problems);
    EXPECT_EQ(atLimit.imported, 1u);
}

TEST_F(HostileImportTest, AUtf8FileWithAStrayByteStaysUtf8AndTheCardWithItIsReported) {
    const std::string csv = FileNamed("stray.csv", "First Name,Last Name\n"
                                                   "J\xC3\xBCrgen,M\xC3\xBCller\n"
                                                   "Zo\xC3\xAB,O\x92Neil\n"
                                                   "Ren\xC3\xA9,Roy\n");
    const std::string vcf = FileNamed("stray.vcf", CrLf({"BEGIN:VCARD", "VERSION:3.0", "N:G\xC3\xB6" "del;Kurt", "END:VCARD",
                                                         "BEGIN:VCARD", "VERSION:3.0", "N:Ende;Mi\xFF", "END:VCARD"}));
    const ImportSummary summary = Import({{csv, "stray.csv"}, {vcf, "stray.vcf"}});
    EXPECT_EQ(summary.imported, 5u);
    EXPECT_EQ(summary.cardsWithProblems, 2u);
    ASSERT_EQ(summary.problems.size(), 2u) << Joined(summary.problems);
    EXPECT_EQ(summary.problems[0], "stray.csv:3: bytes that are not UTF-8 were replaced with \xEF\xBF\xBD");
    EXPECT_EQ(summary.problems[1], "stray.vcf:7: bytes that are not UTF-8 were replaced with \xEF\xBF\xBD");
    EXPECT_EQ(StoredFields(), (std::vector<AddressFields>{
                                  Fields("J\xC3\xBCrgen", "M\xC3\xBCller", "", "", "", "", ""),
                                  Fields("Zo\xC3\xAB", "O\xEF\xBF\xBDNeil", "", "", "", "", ""),
                                  Fields("Ren\xC3\xA9", "Roy", "", "", "", "", ""),
                                  Fields("Kurt", "G\xC3\xB6" "del", "", "", "", "", ""),
                                  Fields("Mi\xEF\xBF\xBD", "Ende", "", "", "", "", "")}));
}

TEST_F(HostileImportTest, AFileWithoutUtf8IsStillReadAsWindows1252) {
    const std::string csv = FileNamed("old.csv", "First Name,Last Name\nJ\xFCrgen,M\xFCller\nO\x92Neil,Zo\xEB\n");
    const ImportSummary summary = Import({{csv, "old.csv"}});
    EXPECT_TRUE(summary.Clean()) << Joined(summary.problems);
    EXPECT_EQ(StoredFields(), (std::vector<AddressFields>{
                                  Fields("J\xC3\xBCrgen", "M\xC3\xBCller", "", "", "", "", ""),
                                  Fields("O\xE2\x80\x99Neil", "Zo\xC3\xAB", "", "", "", "", "")}));
}

TEST_F(HostileImportTest, ControlCharactersAreRemovedFromValuesAndReported) {
    const std::string vcf = FileNamed("ctl.vcf", CrLf({"BEGIN:VCARD", "VERSION:3.0", std::string("N:Na\0me;Fi\x01rst", 14),
                                                       "ADR:;;Line one\\nLine\ttwo;;;;", "TEL:555\x7F-1", "END:VCARD",
                                                       "BEGIN:VCARD", "VERSION:3.0", "N:Plain;Text", "END:VCARD"}));
    const std::string csv = FileNamed("ctl.csv", "First Name,Last Name,Country\nBell\x07,\xC2\x85Next,\"Two\r\nLines\"\n");
    const ImportSummary summary = Import({{vcf, "ctl.vcf"}, {csv, "ctl.csv"}});
    EXPECT_EQ(summary.imported, 3u);
    EXPECT_EQ(summary.cardsWithProblems, 2u);
    ASSERT_EQ(summary.problems.size(), 2u) << Joined(summary.problems);
    EXPECT_EQ(summary.problems[0], "ctl.vcf:1: control characters in the values were removed");
    EXPECT_EQ(summary.problems[1], "ctl.csv:2: control characters in the values were removed");
    EXPECT_EQ(StoredFields(), (std::vector<AddressFields>{
                                  Fields("First", "Name", "Line one\nLine\ttwo", "", "", "", "555-1"),
                                  Fields("Text", "Plain", "", "", "", "", ""),
                                  Fields("Bell", "Next", "", "", "", "Two\r\nLines", "")}));
}

TEST_F(HostileImportTest, ProblemLinesAreKeptForTheFirstHundredOfEachFileThenCounted) {
    std::vector<std::string> lines;
    for (int i = 0; i < 250; ++i) lines.insert(lines.end(), {"BEGIN:VCARD", "END:VCARD"});
    lines.insert(lines.end(), {"BEGIN:VCARD", "N:Real;One", "END:VCARD"});
    const std::string empty = FileNamed("empty.vcf", CrLf(lines));
    const std::string rows = FileNamed("rows.csv", "First Name\nA,1\nB,2\n");
    const ImportSummary summary = Import({{empty, "empty.vcf"}, {rows, "rows.csv"}});
    EXPECT_EQ(summary.imported, 3u);
    EXPECT_EQ(summary.cardsWithProblems, 252u);
    ASSERT_EQ(summary.problems.size(), 103u);
    EXPECT_EQ(summary.problems[0], "empty.vcf:1: the card has no name, address or phone; nothing of it was stored");
    EXPECT_EQ(summary.problems[99], "empty.vcf:199: the card has no name, address or phone; nothing of it was stored");
    EXPECT_EQ(summary.problems[100], "empty.vcf: 150 more problems not listed");
    EXPECT_EQ(summary.problems[101].rfind("rows.csv:2: the row has 2 values", 0), 0u) << summary.problems[101];
    EXPECT_EQ(summary.problems[102].rfind("rows.csv:3: the row has 2 values", 0), 0u) << summary.problems[102];
}

// CSV values without a place are counted by name; a flood of different
// names is counted under "other values" past the first names. A vCard's
// values, however many, are all kept in its card: none is counted.
TEST_F(HostileImportTest, ValuesNotStoredAreCountedUnderAFewNamesHoweverManyThereAre) {
    std::string header = "First Name", row = "Ann";
    for (int i = 0; i < 150; ++i) {
        header += ",c" + std::to_string(i);
        row += ",x";
    }
    std::vector<std::string> lines;
    for (int card = 0; card < 12; ++card) {
        lines.insert(lines.end(), {"BEGIN:VCARD", "VERSION:3.0", "N:Card;" + std::to_string(card)});
        for (int i = 0; i < 100; ++i) lines.push_back("X-C" + std::to_string(card) + "-" + std::to_string(i) + ":v");
        lines.push_back("END:VCARD");
    }
    const std::string csv = FileNamed("wide.csv", header + "\n" + row + "\n");
    const std::string vcf = FileNamed("many.vcf", CrLf(lines));
    const ImportSummary one = Import({{csv, "wide.csv"}});
    EXPECT_EQ(one.NotStoredCount(), 150u);
    EXPECT_EQ(one.notStored.size(), 101u);
    EXPECT_EQ(one.notStored.at("other values"), 50u);
    EXPECT_EQ(one.notStored.at("c99"), 1u);

    const ImportSummary many = Import({{vcf, "many.vcf"}});
    EXPECT_EQ(many.imported, 12u);
    EXPECT_EQ(many.NotStoredCount(), 0u);
    EXPECT_EQ(many.Line(), "imported 12 addresses from 1 file, skipped 0 duplicates, 0 cards with problems");
}

// "Address 1 City" ... "Address 100000 City": each its own group. A row
// takes its address from the first group that has a value.
TEST_F(HostileImportTest, AHeaderOfAHundredThousandAddressGroupsIsMappedColumnByColumn) {
    constexpr int kGroups = 100000;
    std::string header = "First Name";
    for (int i = 1; i <= kGroups; ++i) header += ",Address " + std::to_string(i) + " City";
    header += ",Phone\n";
    // The row's city in group `filled`, another in every later group named in `later`.
    auto row = [&](const std::string& name, int filled, const std::string& city, const std::string& phone,
                   std::vector<int> later = {}) {
        std::string r = name;
        for (int i = 1; i <= kGroups; ++i) {
            r += ",";
            if (i == filled) r += city;
            else if (std::find(later.begin(), later.end(), i) != later.end()) r += "Later " + std::to_string(i);
        }
        return r + "," + phone + "\n";
    };
    const std::string csv = FileNamed("wide.csv", header + row("One", 1, "Oslo", "1", {2, 99999}) +
                                                      row("Last", kGroups, "Lima", "") +
                                                      row("Mid", 50000, "Metz", "3", {50001, kGroups}));
    const ImportSummary summary = Import({{csv, "wide.csv"}});
    EXPECT_TRUE(summary.Clean()) << Joined(summary.problems);
    EXPECT_EQ(summary.NotStoredCount(), 4u);
    EXPECT_EQ(summary.notStored.count("Address 99999 City"), 1u);
    EXPECT_EQ(StoredFields(), (std::vector<AddressFields>{Fields("One", "", "Oslo", "", "", "", "1"),
                                                          Fields("Last", "", "Lima", "", "", "", ""),
                                                          Fields("Mid", "", "Metz", "", "", "", "3")}));
}

TEST_F(HostileImportTest, AWideHeaderThatNamesNothingIsRefusedWithAShortMessage) {
    std::string header;
    for (int i = 0; i < 20000; ++i) header += "Column,";
    const std::string csv = FileNamed("unknown.csv", header + "\nA\n");
    const ImportSummary summary = Import({{csv, "unknown.csv"}});
    EXPECT_EQ(summary.filesRefused, 1u);
    ASSERT_EQ(summary.problems.size(), 1u);
    EXPECT_EQ(summary.problems[0].rfind("unknown.csv:1: neither a vCard", 0), 0u) << summary.problems[0].substr(0, 300);
    EXPECT_LT(summary.problems[0].size(), 600u);
}

}  // namespace

namespace {

// The duplicate check keeps a 16-byte key per address: the keyed hash under
// it must be SipHash-2-4 itself (the reference vectors of its authors), and
// equal fields must give equal keys and different fields different ones.
TEST(AddressKey, IsSipHashOfTheFieldsWithTheirPlaces) {
    std::string message;
    std::uint64_t k0 = 0, k1 = 0;
    for (unsigned i = 0; i < 8; ++i) {
        k0 |= std::uint64_t{i} << (8 * i);
        k1 |= std::uint64_t{i + 8} << (8 * i);
    }
    EXPECT_EQ(SipHash24(message, k0, k1), 0x726fdb47dd0e0e31ULL);
    for (char c = 0; c < 15; ++c) message += c;
    EXPECT_EQ(SipHash24(message, k0, k1), 0xa129ca6149be45e5ULL);
    message += '\x0f';
    EXPECT_EQ(SipHash24(message, k0, k1), 0x3f2acc7f57c29bdbULL);

    const AddressFields a = Fields("Cher", "", "", "", "", "", "");
    EXPECT_EQ(AddressKey(a).size(), 16u);
    EXPECT_EQ(AddressKey(a), AddressKey(Fields("Cher", "", "", "", "", "", "")));
    EXPECT_NE(AddressKey(a), AddressKey(Fields("", "Cher", "", "", "", "", "")));
    EXPECT_NE(AddressKey(a), AddressKey(Fields("Che", "r", "", "", "", "", "")));
}

TEST(AddressKey, TheSetHoldsEachKeyOnceAcrossGrowthAndMerge) {
    AddressKeySet stored, added;
    for (int i = 0; i < 5000; ++i) EXPECT_TRUE(stored.insert(AddressKey(Fields(std::to_string(i), "", "", "", "", "", ""))).second);
    for (int i = 4000; i < 9000; ++i)
        EXPECT_EQ(added.insert(AddressKey(Fields(std::to_string(i), "", "", "", "", "", ""))).second, true);
    EXPECT_FALSE(added.insert(AddressKey(Fields("4000", "", "", "", "", "", ""))).second);
    EXPECT_EQ(stored.count(AddressKey(Fields("4999", "", "", "", "", "", ""))), 1u);
    EXPECT_EQ(stored.count(AddressKey(Fields("5000", "", "", "", "", "", ""))), 0u);
    stored.merge(added);
    EXPECT_EQ(stored.size(), 9000u);
    EXPECT_EQ(added.size(), 0u);
    EXPECT_EQ(added.count(AddressKey(Fields("8999", "", "", "", "", "", ""))), 0u);
    for (int i = 0; i < 9000; i += 7) EXPECT_EQ(stored.count(AddressKey(Fields(std::to_string(i), "", "", "", "", "", ""))), 1u);
    EXPECT_EQ(stored.count(AddressKey(Fields("9000", "", "", "", "", "", ""))), 0u);
}

}  // namespace
