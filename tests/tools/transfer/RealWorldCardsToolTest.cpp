#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "CardMeaning.h"
#include "RealWorldCards.h"
#include "SyncToolSupport.h"
#include "transfer/VCardReader.h"

// The real-world cards through orvane-transfer as a user runs it: imported,
// then exported (read back by python3-vobject) and synced into an empty
// Radicale book.
namespace orvane::test {
namespace {

std::string AllCards() {
    std::string text;
    for (const RealWorldCard& card : RealWorldCards()) text += card.text;
    return text;
}

transfer::AddressFields FieldsOf(const std::string& card) {
    transfer::ImportedCard read;
    transfer::VCardReader reader(card);
    EXPECT_TRUE(reader.Next(read));
    return read.fields;
}

// The cards of a text, each with its END:VCARD line.
std::vector<std::string> SplitCards(const std::string& text) {
    std::vector<std::string> cards;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = text.find("END:VCARD\r\n", pos);
        if (end == std::string::npos) break;
        cards.push_back(text.substr(pos, end + 11 - pos));
        pos = end + 11;
    }
    return cards;
}

class RealWorldCardsToolTest : public SyncToolFixture {
protected:
    void Import() {
        folder_.WriteFile("in.vcf", AllCards());
        const ToolOutcome imported = Run({"import", (folder_.Root() / "in.vcf").string(), "--database", Database()});
        ASSERT_EQ(imported.status, 0) << imported.out << imported.err;
    }
};

TEST_F(RealWorldCardsToolTest, ExportsInEachVersionAreValidAndReadBackByVobject) {
    Import();
    for (const auto& [format, version] : {std::pair{"vcard3", transfer::VCardVersion::V30},
                                          std::pair{"vcard4", transfer::VCardVersion::V40}}) {
        SCOPED_TRACE(format);
        const std::string path = (folder_.Root() / (std::string(format) + ".vcf")).string();
        const ToolOutcome exported = Run({"export", path, "--format", format, "--database", Database()});
        ASSERT_EQ(exported.status, 0) << exported.err;
        const std::vector<std::string> cards = SplitCards(ReadWholeFile(path));
        ASSERT_EQ(cards.size(), RealWorldCards().size());
        for (std::size_t i = 0; i < cards.size(); ++i) {
            EXPECT_EQ(FormatProblems(cards[i], version), std::vector<std::string>{}) << cards[i];
            EXPECT_EQ(MeaningChanges(RealWorldCards()[i].text, cards[i]), std::vector<std::string>{}) << cards[i];
        }
        const std::string versionText = version == transfer::VCardVersion::V40 ? "4.0" : "3.0";
        const ToolOutcome checked = RunTool("/usr/bin/python3",
                                            {CHECK_REAL_WORLD_CARDS, path, versionText, std::to_string(cards.size())},
                                            {}, folder_.Root());
        EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    }
}

TEST_F(RealWorldCardsToolTest, SyncSendsEveryCardIntoAnEmptyRadicaleBookWhole) {
    Import();
    ASSERT_EQ(Setup(server_.BaseUrl()).status, 0);
    const ToolOutcome synced = Sync();
    EXPECT_EQ(synced.status, 0) << synced.out << synced.err;
    EXPECT_NE(synced.out.find("sent " + std::to_string(RealWorldCards().size())), std::string::npos) << synced.out;
    ASSERT_EQ(ServerCardCount(), RealWorldCards().size());
    // Each card as Radicale keeps it holds what the card held, by meaning.
    std::map<transfer::AddressFields, std::string> onServer;
    for (const auto& entry : std::filesystem::directory_iterator(server_.BookFolder("alice", "contacts")))
        if (entry.path().extension() == ".vcf") {
            const std::string card = ReadWholeFile(entry.path().string());
            onServer[FieldsOf(card)] = card;
        }
    for (const RealWorldCard& card : RealWorldCards()) {
        SCOPED_TRACE(card.name);
        const auto found = onServer.find(FieldsOf(card.text));
        ASSERT_NE(found, onServer.end());
        for (const std::string& change : MeaningChanges(card.text, found->second))
            EXPECT_FALSE(change.starts_with("lost: ")) << change << "\n" << found->second;
    }
}

}  // namespace
}  // namespace orvane::test
