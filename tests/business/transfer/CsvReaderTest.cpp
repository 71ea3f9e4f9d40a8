#include <gtest/gtest.h>

#include <algorithm>

#include "TransferTestSupport.h"
#include "transfer/CsvReader.h"

using orvane::test::CrLf;
using orvane::test::Fields;
using orvane::transfer::CsvReader;
using orvane::transfer::ImportedCard;

namespace {

std::vector<ImportedCard> Read(const std::string& bytes) { return orvane::test::ReadAll<CsvReader>(bytes); }

std::vector<std::string> NotStored(const ImportedCard& card) {
    std::vector<std::string> names = card.notStored;
    std::sort(names.begin(), names.end());
    return names;
}

// The line and message of a file the reader refuses.
std::pair<std::size_t, std::string> Refusal(const std::string& bytes) { return orvane::test::RefusalOf<CsvReader>(bytes); }

// A desktop mail client's export: business columns before home ones, a fax
// before the phones, the address taken from the first group with anything.
TEST(CsvReaderTest, MailClientExportWithAddressGroupsAndManyPhones) {
    const auto cards = Read(CrLf({
        "Title,First Name,Middle Name,Last Name,Suffix,Company,Business Street,Business City,Business State,"
        "Business Postal Code,Business Country/Region,Home Street,Home Street 2,Home City,Home State,"
        "Home Postal Code,Home Country/Region,Business Fax,Business Phone,Home Phone,Mobile Phone,E-mail Address",
        "Mr.,John,Q,Public,,,,,,,,\"10 Home Rd\",Flat 2,Springfield,IL,62701,United States,555-0001,555-0002,"
        "555-0003,555-0004,john@example.com",
        ",Ann,,Lee,,Acme,1 Office Park,Dallas,TX,75001,United States,2 Elm,,Austin,TX,73301,,,,555-0010,,",
    }));
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].fields, Fields("John Q", "Public", "10 Home Rd, Flat 2, Springfield", "62701", "IL",
                                      "United States", "555-0004"));
    EXPECT_EQ(NotStored(cards[0]), (std::vector<std::string>{"Business Fax", "Business Phone", "E-mail Address",
                                                              "Home Phone", "Title"}));
    EXPECT_EQ(cards[0].line, 2u);
    EXPECT_EQ(cards[1].fields, Fields("Ann", "Lee", "1 Office Park, Dallas", "75001", "TX", "United States", "555-0010"));
    EXPECT_EQ(NotStored(cards[1]), (std::vector<std::string>{"Company", "Home City", "Home Postal Code", "Home State",
                                                              "Home Street"}));
}

// A web address book's export: "Given Name", "Address 1 - Street",
// "Phone 1 - Value" with type columns beside them.
TEST(CsvReaderTest, WebAddressBookExportWithNumberedGroups) {
    const auto cards = Read(CrLf({
        "Name,Given Name,Additional Name,Family Name,E-mail 1 - Type,E-mail 1 - Value,Phone 1 - Type,Phone 1 - Value,"
        "Phone 2 - Type,Phone 2 - Value,Address 1 - Type,Address 1 - Formatted,Address 1 - Street,Address 1 - City,"
        "Address 1 - PO Box,Address 1 - Region,Address 1 - Postal Code,Address 1 - Country,Address 1 - Extended Address",
        "Zoë Ångström,Zoë,,Ångström,* Home,zoe@example.se,Mobile,+46 70 123 45 67,Work,+46 8 555 00,Home,"
        "\"Storgatan 1\nStockholm\",Storgatan 1,Stockholm,,Stockholms län,111 22,Sweden,",
        "Only Formatted,,,,,,,,,,Home,\"PO Box 9, Nowhere\",,,,,,,",
    }));
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].fields, Fields("Zoë", "Ångström", "Storgatan 1, Stockholm", "111 22", "Stockholms län", "Sweden",
                                      "+46 70 123 45 67"));
    EXPECT_EQ(NotStored(cards[0]), (std::vector<std::string>{"E-mail 1 - Value", "Phone 2 - Value"}));
    EXPECT_EQ(cards[1].fields, Fields("Only", "Formatted", "PO Box 9, Nowhere", "", "", "", ""));
}

// Semicolons (spreadsheets in many locales, Windows-1252), tabs, and this
// program's own header in UTF-16 and with quotes, line ends and doubled
// quotes inside fields.
TEST(CsvReaderTest, DelimitersEncodingsAndQuotedFields) {
    const auto semicolons = Read("Vorname;Nachname;First Name;Last Name;Street;Zip;City;Country\r\n"
                                 ";;J\xFCrgen;K\xF6nig;\"Am Markt 3; Hof\";50667;K\xF6ln;Deutschland\r\n");
    ASSERT_EQ(semicolons.size(), 1u);
    EXPECT_EQ(semicolons[0].fields, Fields("Jürgen", "König", "Am Markt 3; Hof, Köln", "50667", "", "Deutschland", ""));

    const auto tabs = Read("first\tlast\tphone\nA\tB\t1\n\nC\tD\t2\n");
    ASSERT_EQ(tabs.size(), 2u);
    EXPECT_EQ(tabs[1].fields[6], "2");
    EXPECT_EQ(tabs[1].line, 4u);

    const std::string own =
        "Firstname,Lastname,Address,Zip/PostalCode,State/Province,Country,PhoneNumber\r\n"
        "\"Say \"\"hi\"\"\",\"a,b\",\"line 1\r\nline 2\",K1A,Ontario,Canada,555\r\n"
        "Next,Row,,,,,\r\n";
    for (const std::string& bytes : {own, "\xEF\xBB\xBF" + own, orvane::test::Utf16LeFromAscii(own)}) {
        const auto cards = Read(bytes);
        ASSERT_EQ(cards.size(), 2u);
        EXPECT_EQ(cards[0].fields, Fields("Say \"hi\"", "a,b", "line 1\r\nline 2", "K1A", "Ontario", "Canada", "555"));
        EXPECT_EQ(cards[1].line, 4u);  // the quoted line end counts
    }
}

TEST(CsvReaderTest, FullNameColumnAndShortOrLongRows) {
    const auto cards = Read("Display Name,Mobile Number,Home ZipCode\nGrace Brewster Hopper,555,10001\nX,,,extra\n");
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].fields, Fields("Grace Brewster", "Hopper", "", "10001", "", "", "555"));
    ASSERT_EQ(cards[1].problems.size(), 1u);
    EXPECT_EQ(cards[1].problems[0].line, 3u);
    EXPECT_EQ(cards[1].fields[0], "X");
    const auto shortRow = Read("Last Name,First Name,Phone\nLovelace\n");
    EXPECT_EQ(shortRow[0].fields, Fields("", "Lovelace", "", "", "", "", ""));
}

TEST(CsvReaderTest, FilesWithoutARecognisableHeaderOrWithAnOpenQuoteAreRefused) {
    const auto [line, message] = Refusal("\r\nJohn,Smith,555-1234\r\nAnn,Lee,555\r\n");
    EXPECT_EQ(line, 2u);
    EXPECT_NE(message.find("\"John\", \"Smith\", \"555-1234\""), std::string::npos) << message;
    EXPECT_EQ(Refusal("").first, 1u);
    EXPECT_EQ(Refusal("First Name,Last Name\nA,B\n\"C,D\nE,F\n").first, 3u);
}

}  // namespace
