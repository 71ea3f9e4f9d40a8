// Behaviour of the contact readers and writers that a one-line slip would
// quietly break: which of several values is taken, old vCard encodings,
// line breaks and lone countries on export, the CSV delimiter, and what
// counts as a duplicate. Through real files, the importer, the exporter and
// a real database.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "CDataTransferTier.h"
#include "TempAppFolder.h"
#include "TransferTestSupport.h"
#include "core/Variant.h"
#include "transfer/AddressExporter.h"
#include "transfer/AddressImporter.h"

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

class SlipTest : public ::testing::Test {
protected:
    TempAppFolder folder;

    ImportSummary ImportOne(const std::string& name, const std::string& bytes) {
        folder.WriteFile(name, bytes);
        AddressImporter importer;
        importer.ImportFile((folder.Root() / name).string(), name);
        return importer.Summary();
    }
    std::string Export(const std::string& name, TransferFormat format) {
        const auto path = folder.Root() / name;
        AddressExporter().ExportToFile(path.string(), format);
        return orvane::test::ReadFileBytes(path);
    }
};

TEST_F(SlipTest, WithoutAPreferenceTheFirstPhoneAndAddressAreTaken) {
    const ImportSummary summary = ImportOne("two.vcf", CrLf({"BEGIN:VCARD", "VERSION:3.0", "N:Lee;Ann",
                                                             "TEL;TYPE=home:111", "ADR;TYPE=home:;;1 First St;;;;",
                                                             "TEL;TYPE=work:222", "ADR;TYPE=work:;;2 Second St;;;;",
                                                             "END:VCARD"}));
    EXPECT_EQ(summary.imported, 1u);
    EXPECT_EQ(StoredFields(), std::vector<AddressFields>{Fields("Ann", "Lee", "1 First St", "", "", "", "111")});
}

TEST_F(SlipTest, Version21QuotedPrintableInLowerCaseAndCommasAreRead) {
    ImportOne("old.vcf", CrLf({"BEGIN:VCARD", "VERSION:2.1",
                               "N;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:M=c3=bcller, Sr.;J=c3=bcrgen",
                               "ADR;HOME:;;1 Main St, Apt 2;Town;;;", "END:VCARD"}));
    EXPECT_EQ(StoredFields(), std::vector<AddressFields>{Fields("J\xC3\xBCrgen", "M\xC3\xBCller, Sr.",
                                                                "1 Main St, Apt 2, Town", "", "", "", "")});
}

TEST_F(SlipTest, ALineBreakIsOneEscapeAndALoneCountryIsExported) {
    folder.InsertAddress("Ann", "Lee", "Line one\r\nLine two\nLine three");
    folder.InsertAddress("Cy", "Only", "", "", "", "Canada");
    const std::string vcard = Export("out.vcf", TransferFormat::VCard4);
    EXPECT_NE(vcard.find("ADR:;;Line one\\nLine two\\nLine three;;;;\r\n"), std::string::npos) << vcard;
    EXPECT_NE(vcard.find("ADR:;;;;;;Canada\r\n"), std::string::npos) << vcard;
    const std::string vcard3 = Export("out3.vcf", TransferFormat::VCard3);
    EXPECT_NE(vcard3.find("ADR:;;;;;;Canada\r\n"), std::string::npos) << vcard3;
    const std::string csv = Export("out.csv", TransferFormat::Csv);
    EXPECT_NE(csv.find("\r\nCy,Only,,,,Canada,\r\n"), std::string::npos) << csv;
}

TEST_F(SlipTest, TheCsvDelimiterComesFromTheHeaderEvenWhenRowsHoldManySemicolons) {
    const ImportSummary summary = ImportOne("semi.csv", "First Name,Last Name,Address\n"
                                                        "Ann,Lee,a;b;c;d;e;f;g;h\n"
                                                        "Bob,Ray,1;2;3;4;5;6;7;8;9\n");
    EXPECT_TRUE(summary.Clean());
    EXPECT_EQ(StoredFields(), (std::vector<AddressFields>{Fields("Ann", "Lee", "a;b;c;d;e;f;g;h", "", "", "", ""),
                                                          Fields("Bob", "Ray", "1;2;3;4;5;6;7;8;9", "", "", "", "")}));
}

TEST_F(SlipTest, ANameInAnotherFieldIsNoDuplicate) {
    folder.InsertAddress("Cher", "");
    const ImportSummary summary = ImportOne("cher.csv", "First Name,Last Name\n,Cher\nCher,\nChe,r\n");
    EXPECT_EQ(summary.imported, 2u);
    EXPECT_EQ(summary.duplicates, 1u);
    EXPECT_EQ(StoredFields(), (std::vector<AddressFields>{Fields("Cher", "", "", "", "", "", ""),
                                                          Fields("", "Cher", "", "", "", "", ""),
                                                          Fields("Che", "r", "", "", "", "", "")}));
}

}  // namespace
