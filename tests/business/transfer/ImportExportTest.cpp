#include <gtest/gtest.h>

#include <sstream>

#include "ErrorOf.h"
#include "AddressbookSchema.h"
#include "CBusinessTier.h"
#include "CDataTransferTier.h"
#include "StatementSpy.h"
#include "TempAppFolder.h"
#include "TransferTestSupport.h"
#include "core/Error.h"
#include "transfer/AddressExporter.h"
#include "transfer/AddressImporter.h"

using orvane::test::CrLf;
using orvane::test::Fields;
using orvane::test::TempAppFolder;
using namespace orvane::transfer;

namespace {

struct Row {
    std::int32_t id;
    AddressFields fields;
};

// Every stored row in list order, read through the data tier.
std::vector<Row> Stored(const std::string& database = {}) {
    std::vector<Row> rows;
    CDataTransferTier(database).ReadAddresses([&](const orvane::Variant& record) {
        Row row{record.Array().At(0, 0).ToLong(), {}};
        for (std::int32_t i = 1; i <= 7; ++i) row.fields[static_cast<std::size_t>(i - 1)] = record.Array().At(i, 0).JoinEmpty();
        rows.push_back(row);
    });
    return rows;
}

std::vector<AddressFields> StoredFields(const std::string& database = {}) {
    std::vector<AddressFields> fields;
    for (const Row& row : Stored(database)) fields.push_back(row.fields);
    return fields;
}

// Addresses that a careless writer or reader would get wrong.
std::vector<AddressFields> AwkwardAddresses() {
    const std::string tenThousand = [] {
        std::string s;
        while (s.size() < 10000) s += "Long, field; with \\ and \"quotes\" ünd 語 ";
        return s.substr(0, 10000);
    }();
    return {
        Fields("Ann", "Lee", "1 Main St", "K1A 0B1", "Ontario", "Canada", "555-0100"),
        Fields("Semi;colon", "Com,ma", "Back\\slash \\n not a newline", "\"quoted\"", "'single'", "a\\,b", "+1 (555) 0101"),
        Fields("Multi", "Line", "Line one\nLine two\nLine three", "", "", "", ""),
        Fields("Zoë", "Ångström-Müller", "Storgatan 1, Stockholm", "111 22", "Stockholms län", "Sverige", "☎ 070"),
        Fields("東京", "太郎", "千代田区 1-1", "100-0001", "東京都", "日本", "03-0000"),
        Fields(tenThousand, "Long", tenThousand, "", "", "", tenThousand),
        Fields("Mary Ann", "", "", "", "", "", ""),
        Fields("", "Nofirst", "", "", "", "", ""),
        Fields(" padded ", "  two  ", "tel:+1-555", ",", ";", "\\", "tel:5"),
    };
}

class ImportExportTest : public ::testing::Test {
protected:
    TempAppFolder folder;

    std::filesystem::path FileNamed(const std::string& name, const std::string& bytes = {}) {
        folder.WriteFile(name, bytes);
        return folder.Root() / name;
    }
    ImportSummary Import(const std::vector<std::filesystem::path>& files, const std::string& database = {}) {
        AddressImporter importer(database);
        for (const auto& file : files) importer.ImportFile(file.string(), file.filename().string());
        return importer.Summary();
    }
};

TEST_F(ImportExportTest, RoundTripInEveryFormatGivesBackTheSameSevenFields) {
    const std::vector<AddressFields> originals = AwkwardAddresses();
    for (const AddressFields& a : originals) folder.InsertAddress(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
    ASSERT_EQ(StoredFields(), originals);

    for (const auto& [format, name] : {std::pair{TransferFormat::VCard4, "out4.vcf"},
                                       std::pair{TransferFormat::VCard3, "out3.vcf"}, std::pair{TransferFormat::Csv, "out.csv"}}) {
        SCOPED_TRACE(name);
        const auto file = folder.Root() / name;
        EXPECT_EQ(AddressExporter().ExportToFile(file.string(), format), originals.size());
        const auto empty = folder.Root() / (std::string(name) + ".mdb");
        AddressbookSchema::CreateDatabase(empty.string());
        const ImportSummary summary = Import({file}, empty.string());
        EXPECT_EQ(summary.Line(), "imported 9 addresses from 1 file, skipped 0 duplicates, 0 cards with problems");
        EXPECT_TRUE(summary.Clean());
        EXPECT_EQ(StoredFields(empty.string()), originals);
    }
}

TEST_F(ImportExportTest, ExportFollowsTheListOrderAndStreamsToAnyStream) {
    const int first = folder.InsertAddress("First", "One");
    folder.InsertAddress("Second", "Two");
    folder.InsertAddress("Third", "Three");
    CBusinessTier tier;
    tier.DeleteAddress(first);
    folder.InsertAddress("Fourth", "Four");
    const orvane::Variant list = CBusinessTier().FillList();
    std::vector<std::int32_t> listed;
    for (std::int32_t j = 0; j <= list.Array().UBound(2); ++j) listed.push_back(list.Array().At(0, j).ToLong());
    std::vector<std::int32_t> exported;
    for (const Row& row : Stored()) exported.push_back(row.id);
    EXPECT_EQ(exported, listed);

    std::ostringstream out;
    EXPECT_EQ(AddressExporter().Export(out, TransferFormat::Csv), 3u);
    EXPECT_EQ(out.str(), CrLf({"Firstname,Lastname,Address,Zip/PostalCode,State/Province,Country,PhoneNumber",
                               "Second,Two,,,,,", "Third,Three,,,,,", "Fourth,Four,,,,,"}));
    // An export that cannot be written leaves nothing behind.
    constexpr std::int32_t kPathFileAccess = 75;
    EXPECT_EQ(orvane::test::ErrorNumberOf([&] {
                  AddressExporter().ExportToFile((folder.Root() / "missing" / "x.vcf").string(), TransferFormat::VCard4);
              }),
              kPathFileAccess);
    EXPECT_FALSE(std::filesystem::exists(folder.Root() / "missing"));
}

TEST_F(ImportExportTest, EachCardGoesThroughSaveAddressAndDuplicatesAreSkipped) {
    folder.InsertAddress("Ann", "Lee", "1 Main St", "K1A", "Ontario", "Canada", "555-1");
    const auto vcf = FileNamed("a.vcf", CrLf({
        "BEGIN:VCARD", "VERSION:3.0", "N:Lee;Ann", "ADR:;;1 Main St;;Ontario;K1A;Canada", "TEL:555-1", "END:VCARD",
        "BEGIN:VCARD", "VERSION:3.0", "N:Ray;Bob", "EMAIL:bob@example.com", "EMAIL:bob@work.example", "END:VCARD",
        "BEGIN:VCARD", "VERSION:3.0", "N:Ray;Bob", "END:VCARD",
        "BEGIN:VCARD", "VERSION:3.0", "EMAIL:nobody@example.com", "END:VCARD",
    }));
    // Named .txt on purpose: the content decides the format.
    const auto csv = FileNamed("b.txt", "First Name,Last Name\nBob,Ray\nCy,Young\n");
    orvane::test::StatementSpy spy;
    const ImportSummary summary = Import({vcf, csv});
    EXPECT_EQ(summary.Line(),
              "imported 2 addresses from 2 files, skipped 3 duplicates, 1 card with problems");
    EXPECT_EQ(summary.problems,
              std::vector<std::string>{"a.vcf:17: the card has no name, address or phone; nothing of it was stored"});
    std::size_t saves = 0;
    for (const auto& record : spy.records)
        if (record.savedQuery) {
            EXPECT_EQ(record.text, "SaveAddress");
            EXPECT_EQ(record.parameters.size(), 7u);
            ++saves;
        }
    EXPECT_EQ(saves, 2u);
    EXPECT_EQ(StoredFields().size(), 3u);
    EXPECT_EQ(StoredFields()[2], Fields("Cy", "Young", "", "", "", "", ""));
}

TEST_F(ImportExportTest, ADamagedOrRefusedFileStoresNothingAndTheOthersGoOn) {
    const auto good = FileNamed("good.csv", "Name,Phone\nGood Person,1\n");
    const auto damaged = FileNamed("damaged.vcf", CrLf({"BEGIN:VCARD", "N:A;B", "END:VCARD", "BEGIN:VCARD", "N:C;D",
                                                        "END:VCARD", "BEGIN:VCARD", "N:E;F"}));
    const auto notContacts = FileNamed("picture.vcf", std::string("\x89PNG\r\n\x1a\n\0\0", 10));
    const auto missing = folder.Root() / "missing.vcf";
    const ImportSummary summary = Import({damaged, good, notContacts, missing});
    EXPECT_EQ(summary.imported, 1u);
    EXPECT_EQ(summary.files, 1u);
    EXPECT_EQ(summary.filesRefused, 3u);
    ASSERT_EQ(summary.problems.size(), 3u);
    EXPECT_EQ(summary.problems[0],
              "damaged.vcf:7: the card that begins here has no END:VCARD; nothing from this file was stored");
    EXPECT_EQ(summary.problems[1].rfind("picture.vcf:1: neither a vCard", 0), 0u) << summary.problems[1];
    EXPECT_EQ(summary.problems[2].rfind("missing.vcf: cannot read the file", 0), 0u) << summary.problems[2];
    EXPECT_EQ(StoredFields(), std::vector<AddressFields>{Fields("Good", "Person", "", "", "", "", "1")});
}

TEST_F(ImportExportTest, AFailureOfTheDatabaseHalfWayStoresNothingOfThatFile) {
    // The engine refuses one row in the middle of the file.
    folder.ExecSql("CREATE TRIGGER refuse BEFORE INSERT ON tblAddress WHEN NEW.FirstName = 'Boom' "
                   "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");
    const auto file = FileNamed("three.csv", "First Name\nOne\nBoom\nThree\n");
    const ImportSummary summary = Import({file});
    EXPECT_EQ(summary.imported, 0u);
    ASSERT_EQ(summary.problems.size(), 1u);
    EXPECT_NE(summary.problems[0].find("refused by the test"), std::string::npos) << summary.problems[0];
    EXPECT_TRUE(StoredFields().empty());
    // The same importer can go on with the next file.
    AddressImporter importer;
    importer.ImportFile(FileNamed("ok.csv", "First Name\nOne\n").string(), "ok.csv");
    EXPECT_EQ(StoredFields().size(), 1u);
}

}  // namespace
