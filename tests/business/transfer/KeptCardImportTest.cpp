#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "CBusinessTier.h"
#include "CDataCardTier.h"
#include "CDataTransferTier.h"
#include "CDataSyncAddressTier.h"
#include "TempAppFolder.h"
#include "adodb/Connection.h"
#include "TransferTestSupport.h"
#include "VCardProperties.h"
#include "transfer/AddressExporter.h"
#include "transfer/AddressImporter.h"
#include "sync/CardLines.h"
#include "sync/NewCard.h"
#include "transfer/VCardWriter.h"

using orvane::test::CrLf;
using orvane::test::TempAppFolder;
using namespace orvane::transfer;

namespace {

class KeptCardImportTest : public ::testing::Test {
protected:
    // Every kept card of the window's database by address ID.
    static std::map<std::int32_t, std::string> Cards() {
        std::map<std::int32_t, std::string> cards;
        CDataCardTier().ReadCards([&](std::int32_t id, const std::string& card) { cards[id] = card; });
        return cards;
    }
    static std::vector<std::int32_t> Ids() {
        std::vector<std::int32_t> ids;
        CDataTransferTier().ReadAddresses([&](const orvane::Variant& record) { ids.push_back(record.Array().At(0, 0).ToLong()); });
        return ids;
    }
    ImportSummary Import(const std::string& bytes, const std::string& label = "file") {
        AddressImporter importer;
        importer.ImportBytes(bytes, label);
        return importer.Summary();
    }

    TempAppFolder folder;
};

// The text kept for a card of the file: the card itself, given the UID the
// import made for it when it had none (found in the kept card).
std::string WithMadeUid(const std::string& card, const std::string& kept) {
    const std::string uid = orvane::sync::CardUid(kept);
    EXPECT_EQ(uid.size(), 36u) << kept;
    return orvane::sync::WithUid(card, uid);
}

// Each card's text as it stood in the file (its LF line ends, its folding,
// a last card without a line end) goes beside the ID the new row was given;
// a duplicate keeps nothing.
TEST_F(KeptCardImportTest, EachCardIsKeptAsItStoodBesideTheAddressItGave) {
    folder.InsertAddress("Ann", "Lee", "", "", "", "", "555-1");
    folder.InsertAddress("Old", "Row");
    const std::string first = "BEGIN:VCARD\nVERSION:3.0\nN:Ray;Bob\nNOTE:a long note\n  folded here\nEMAIL:bob@example.com\nEND:VCARD\n";
    const std::string duplicate = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann\r\nTEL:555-1\r\nEMAIL:dup@example.com\r\nEND:VCARD\r\n";
    const std::string last = "begin:vcard\r\nversion:4.0\r\nfn:Cy Young\r\nX-THING;P=1:v\r\nend:vcard";
    const ImportSummary summary = Import("\n\n" + first + "\r\n" + duplicate + last);
    EXPECT_EQ(summary.Line(), "imported 2 addresses from 1 file, skipped 1 duplicate, 0 cards with problems");
    ASSERT_EQ(Ids(), (std::vector<std::int32_t>{1, 2, 3, 4}));
    auto cards = Cards();
    EXPECT_EQ(cards, (std::map<std::int32_t, std::string>{{3, WithMadeUid(first, cards[3])},
                                                           {4, WithMadeUid(last, cards[4])}}));

    // Exported, the card without a line end still ends its line.
    std::ostringstream out;
    EXPECT_EQ(AddressExporter().Export(out, TransferFormat::VCard4), 4u);
    ASSERT_EQ(orvane::test::ReadVCards(out.str()).size(), 4u) << out.str();
    EXPECT_EQ(out.str().substr(out.str().size() - 11), "END:VCARD\r\n");
}

// Control characters the import takes out of the fields go out of the
// kept card as well (its line ends stay), so an export never brings them back.
TEST_F(KeptCardImportTest, ControlCharactersAreRemovedFromTheKeptCardToo) {
    const ImportSummary summary =
        Import(std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann\x01\r\nNOTE:bell\x07 and nul\0 here\r\nEND:VCARD\r\n", 75));
    EXPECT_EQ(summary.cardsWithProblems, 1u);
    auto cards = Cards();
    EXPECT_EQ(cards, (std::map<std::int32_t, std::string>{
                         {1, WithMadeUid("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann\r\nNOTE:bell and nul here\r\nEND:VCARD\r\n",
                                         cards[1])}}));
}

// A file that fails stores neither its addresses nor its cards; the file
// before it keeps both.
TEST_F(KeptCardImportTest, AFailingFileKeepsNoCard) {
    const std::string good = CrLf({"BEGIN:VCARD", "VERSION:3.0", "N:Ray;Bob", "EMAIL:bob@example.com", "END:VCARD"});
    AddressImporter importer;
    importer.ImportBytes(good, "good.vcf");
    importer.ImportBytes(CrLf({"BEGIN:VCARD", "VERSION:3.0", "N:Lee;Ann", "EMAIL:a@example.com", "END:VCARD",
                               "BEGIN:VCARD", "VERSION:3.0", "N:Young;Cy"}),
                         "broken.vcf");
    EXPECT_EQ(importer.Summary().filesRefused, 1u);
    EXPECT_EQ(Ids(), std::vector<std::int32_t>{1});
    auto cards = Cards();
    EXPECT_EQ(cards, (std::map<std::int32_t, std::string>{{1, WithMadeUid(good, cards[1])}}));
}

// A failure inside the database in the middle of a file (a later card runs
// into an altered table) takes back the cards already kept for that file.
TEST_F(KeptCardImportTest, ADatabaseFailureMidFileKeepsNoCard) {
    // Only short last names fit: the third card's insert fails.
    folder.ExecSql("CREATE TRIGGER LimitName BEFORE INSERT ON tblAddress WHEN length(NEW.LastName) > 5 "
                   "BEGIN SELECT RAISE(ABORT, 'too long'); END");
    // Enough cards before the failing one that some are kept already.
    std::vector<std::string> lines;
    for (int i = 0; i < 600; ++i)
        lines.insert(lines.end(), {"BEGIN:VCARD", "VERSION:3.0", "N:R" + std::to_string(i) + ";A", "NOTE:n", "END:VCARD"});
    lines.insert(lines.end(), {"BEGIN:VCARD", "VERSION:3.0", "N:Longname;A", "NOTE:n", "END:VCARD"});
    const ImportSummary summary = Import(CrLf(lines));
    EXPECT_EQ(summary.filesRefused, 1u);
    EXPECT_TRUE(Ids().empty());
    EXPECT_TRUE(Cards().empty());
}

// A file whose card table was made by someone else is refused for a vCard
// (nothing stored, the file named as altered); a CSV file, which keeps no
// card, still goes in.
TEST_F(KeptCardImportTest, AForeignCardTableRefusesTheVCardButNotTheCsv) {
    folder.ExecSql("CREATE TABLE OrvaneCards (AddressID INTEGER PRIMARY KEY, CardText TEXT)");
    const ImportSummary vcard = Import(CrLf({"BEGIN:VCARD", "VERSION:3.0", "N:Lee;Ann", "END:VCARD"}), "a.vcf");
    EXPECT_EQ(vcard.filesRefused, 1u);
    ASSERT_EQ(vcard.problems.size(), 1u);
    EXPECT_NE(vcard.problems[0].find("altered"), std::string::npos) << vcard.problems[0];
    EXPECT_TRUE(Ids().empty());
    const ImportSummary csv = Import("First Name,Last Name\nBob,Ray\n", "b.csv");
    EXPECT_EQ(csv.imported, 1u);
    EXPECT_EQ(Ids(), std::vector<std::int32_t>{1});
}

// CSV has no card: its addresses are stored and nothing is kept beside them.
TEST_F(KeptCardImportTest, ACsvImportKeepsNoCard) {
    const ImportSummary summary = Import("First Name,Last Name,E-mail\nBob,Ray,bob@example.com\n");
    EXPECT_EQ(summary.Line(),
              "imported 1 address from 1 file, skipped 0 duplicates, 0 cards with problems, 1 value not stored (E-mail 1)");
    EXPECT_EQ(Ids(), std::vector<std::int32_t>{1});
    EXPECT_TRUE(Cards().empty());
}

std::string Lines(const std::vector<std::string>& lines) { return CrLf(lines); }

// An imported address deleted through the window's tiers takes its card
// with it; the other keeps its own, and the export shows only that one.
TEST_F(KeptCardImportTest, DeletingAnImportedAddressDeletesItsCard) {
    Import(Lines({"BEGIN:VCARD", "VERSION:3.0", "N:Lee;Ann", "EMAIL:ann@example.com", "END:VCARD", "BEGIN:VCARD",
                  "VERSION:3.0", "N:Ray;Bob", "EMAIL:bob@example.com", "END:VCARD"}));
    ASSERT_EQ(Cards().size(), 2u);
    CBusinessTier().DeleteAddress(1);
    EXPECT_EQ(Cards().count(1), 0u);
    EXPECT_EQ(Cards().count(2), 1u);
    std::ostringstream out;
    EXPECT_EQ(AddressExporter().Export(out, TransferFormat::VCard3), 1u);
    EXPECT_EQ(out.str().find("ann@example.com"), std::string::npos);
    EXPECT_NE(out.str().find("bob@example.com"), std::string::npos);
}

// An address whose card came from a 2.1 file is exported in the version
// asked for, with its changed fields.
TEST_F(KeptCardImportTest, AnExportWritesTheKeptCardWithTheCurrentFieldsInTheVersionAskedFor) {
    Import(Lines({"BEGIN:VCARD", "VERSION:2.1", "N:Lee;Ann", "TEL;CELL:555-1", "EMAIL;INTERNET:ann@example.com", "END:VCARD"}));
    // The phone changed since, as any writer of the table changes it.
    CDataSyncAddressTier(folder.DatabaseFile().string()).Update(1, {"Ann", "Lee", "", "", "", "", "555-9"});
    std::ostringstream out3, out4, csv;
    AddressExporter().Export(out3, TransferFormat::VCard3);
    AddressExporter().Export(out4, TransferFormat::VCard4);
    AddressExporter().Export(csv, TransferFormat::Csv);
    const std::string uid = "UID:" + orvane::sync::CardUid(Cards()[1]);
    EXPECT_EQ(out3.str(), Lines({"BEGIN:VCARD", "VERSION:3.0", "FN:Ann Lee", "N:Lee;Ann", "TEL;TYPE=CELL:555-9",
                                 "EMAIL;TYPE=INTERNET:ann@example.com", uid.c_str(), "END:VCARD"}));
    EXPECT_EQ(out4.str(), Lines({"BEGIN:VCARD", "VERSION:4.0", "FN:Ann Lee", "N:Lee;Ann", "TEL;TYPE=CELL;VALUE=uri:tel:555-9",
                                 "EMAIL;TYPE=INTERNET:ann@example.com", uid.c_str(), "END:VCARD"}));
    EXPECT_EQ(csv.str(), Lines({"Firstname,Lastname,Address,Zip/PostalCode,State/Province,Country,PhoneNumber",
                                "Ann,Lee,,,,,555-9"}));
}

// A card kept without a UID (by an older version of the program) is
// exported with the UID a plain export gives its address, every time.
TEST_F(KeptCardImportTest, ACardKeptWithoutUidIsExportedWithTheAddresssStableUid) {
    folder.InsertAddress("Ann", "Lee");
    CDataCardTier().KeepCard(1, CrLf({"BEGIN:VCARD", "VERSION:3.0", "N:Lee;Ann", "NOTE:old", "END:VCARD"}));
    for (const TransferFormat format : {TransferFormat::VCard3, TransferFormat::VCard4}) {
        std::ostringstream out;
        AddressExporter().Export(out, format);
        EXPECT_NE(out.str().find("\r\nUID:" + StableUid(1) + "\r\n"), std::string::npos) << out.str();
        EXPECT_NE(out.str().find("\r\nNOTE:old\r\n"), std::string::npos) << out.str();
    }
}

}  // namespace
