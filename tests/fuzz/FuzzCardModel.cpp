#include <cstddef>
#include <cstdint>
#include <string>

#include "CardMeaning.h"
#include "FuzzKeptCard.h"
#include "card/CardModel.h"
#include "card/CardValidation.h"
#include "core/Error.h"
#include "transfer/CardWriter.h"

// Any card the import keeps opens in the card window: unchanged, its model
// writes the card the card writer writes; edited, it still writes a card.
namespace {
using orvane::fuzz::Fail;
using orvane::transfer::VCardVersion;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<orvane::transfer::ImportedCard> kept = orvane::fuzz::FirstKeptCard(data, size);
    if (!kept) return 0;
    const orvane::transfer::ImportedCard& read = *kept;
    // The window opens a card as export writes it (in its own version).
    const VCardVersion version = orvane::transfer::CardVersionOf(read.cardText) == VCardVersion::V40
                                     ? VCardVersion::V40
                                     : VCardVersion::V30;
    const std::string card = orvane::transfer::WriteKeptCard(read.cardText, version, read.fields, "fuzz-uid");
    orvane::card::CardModel model = orvane::card::ReadCardModel(card);
    const std::string unchanged = orvane::card::WriteCardModel(model, "fuzz-uid");
    for (const std::string& change : orvane::test::MeaningChanges(card, unchanged)) Fail("unchanged", change, unchanged);

    model.emails.push_back({orvane::card::EntryLabel::FromText("Work, Inc."), "a@b.example", true, std::nullopt});
    if (!model.phones.empty()) model.phones.front().kind = orvane::card::EntryLabel::FromText("Home");
    if (!model.addresses.empty()) model.addresses.pop_back();
    model.birthday = orvane::card::CardDate{std::nullopt, 2, 29};
    model.groups.push_back("a,b;c");
    model.first += "\\;,";
    const std::string edited = orvane::card::WriteCardModel(model, "fuzz-uid");
    for (const std::string& problem : orvane::test::FormatProblems(edited, version)) Fail("format", problem, edited);
    try {
        orvane::card::ValidateCardModel(orvane::card::ReadCardModel(edited));
    } catch (const orvane::Error&) {
        // The card's own e-mail addresses may be no addresses; checking them must not crash.
    }
    return 0;
}
