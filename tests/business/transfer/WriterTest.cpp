#include <gtest/gtest.h>

#include <sstream>

#include "TransferTestSupport.h"
#include "transfer/AddressText.h"
#include "transfer/CsvWriter.h"
#include "transfer/VCardWriter.h"

using orvane::test::Fields;
using namespace orvane::transfer;

namespace {

std::vector<std::string> PhysicalLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "every line ends in CR LF";
        if (end == std::string::npos) break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool StartsUtf8Sequence(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

std::string Card(VCardVersion version, std::int32_t id, const AddressFields& fields) {
    std::ostringstream out;
    VCardWriter(out, version).Write(id, fields);
    return out.str();
}

TEST(VCardWriterTest, WritesTheRequiredPropertiesWithEscapesOfEachVersion) {
    const AddressFields fields = Fields("Anne; \"Nan\"", "Smith, Jr\\", "1 Main St\nApt 2", "K1A 0B1", "ON", "Canada",
                                        "+1 555, ext 2");
    EXPECT_EQ(Card(VCardVersion::V40, 42, fields),
              "BEGIN:VCARD\r\nVERSION:4.0\r\nPRODID:-//Orvane//Address Book//EN\r\n"
              "N:Smith\\, Jr\\\\;Anne\\; \"Nan\";;;\r\n"
              "FN:Anne; \"Nan\" Smith\\, Jr\\\\\r\n"
              "ADR:;;1 Main St\\nApt 2;;ON;K1A 0B1;Canada\r\n"
              "TEL;VALUE=text:+1 555\\, ext 2\r\n"
              "UID:urn:uuid:6f72766e-6164-8472-8000-00000000002a\r\n"
              "END:VCARD\r\n");
    const std::string v3 = Card(VCardVersion::V30, 42, fields);
    EXPECT_NE(v3.find("\r\nVERSION:3.0\r\n"), std::string::npos);
    EXPECT_NE(v3.find("\r\nFN:Anne\\; \"Nan\" Smith\\, Jr\\\\\r\n"), std::string::npos);
    EXPECT_NE(v3.find("\r\nTEL:+1 555\\, ext 2\r\n"), std::string::npos);
    // An address with nothing but names still has N and FN, no ADR or TEL.
    const std::string bare = Card(VCardVersion::V40, 7, Fields("Solo", "", "", "", "", "", ""));
    EXPECT_NE(bare.find("\r\nN:;Solo;;;\r\nFN:Solo\r\n"), std::string::npos);
    EXPECT_EQ(bare.find("ADR"), std::string::npos);
    EXPECT_EQ(bare.find("TEL"), std::string::npos);
    EXPECT_EQ(StableUid(7), StableUid(7));
    EXPECT_NE(StableUid(7), StableUid(8));
}

TEST(VCardWriterTest, FoldsAt75OctetsWithoutSplittingUtf8) {
    std::string longName;
    for (int i = 0; i < 300; ++i) longName += i % 3 ? "é" : "語";  // two- and three-octet sequences
    longName += "x";
    const std::string card = Card(VCardVersion::V40, 1, Fields(longName, "Ω", "", "", "", "", ""));
    const std::vector<std::string> lines = PhysicalLines(card);
    std::string unfolded;
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), 75u);
        ASSERT_FALSE(line.empty());
        if (line[0] == ' ') {
            ASSERT_GT(line.size(), 1u);
            EXPECT_TRUE(StartsUtf8Sequence(line[1])) << "a continuation begins inside a UTF-8 sequence";
            unfolded += line.substr(1);
        } else {
            unfolded += "\n" + line;
        }
    }
    EXPECT_NE(unfolded.find("\nN:Ω;" + longName + ";;;\n"), std::string::npos);
    EXPECT_GT(lines.size(), 20u);
}

TEST(CsvWriterTest, HeaderOfTheWindowLabelsAndQuotedFieldsOnlyWhereNeeded) {
    std::ostringstream out;
    CsvWriter writer(out);
    writer.Write(Fields("Ann", "O\"Neil", "1 Main, Apt 2", "line\r\nbreak", " spaced ", "Canada", "lone\rreturn"));
    EXPECT_EQ(out.str(),
              "Firstname,Lastname,Address,Zip/PostalCode,State/Province,Country,PhoneNumber\r\n"
              "Ann,\"O\"\"Neil\",\"1 Main, Apt 2\",\"line\r\nbreak\", spaced ,Canada,\"lone\rreturn\"\r\n");
}

TEST(AddressTextTest, OneFieldALineLeavingOutEmptyOnes) {
    EXPECT_EQ(AddressAsText(Fields("Ann", "Lee", "1 Main St", "", "Ontario", "Canada", "555-1")),
              "Ann\nLee\n1 Main St\nOntario\nCanada\n555-1");
    EXPECT_EQ(AddressAsText(Fields("", "", "", "", "", "", "")), "");
}

}  // namespace
