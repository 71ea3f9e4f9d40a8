#include "card/CardService.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "CDataCardTier.h"
#include "card/CardValidation.h"
#include "core/Error.h"
#include "sync/CardPatch.h"
#include "transfer/FileFormatError.h"
#include "transfer/KeptCardExport.h"
#include "transfer/TextTools.h"
#include "transfer/VCardWriter.h"

namespace orvane::card {
namespace {

// The largest picture taken as a photo: a card travels whole to servers
// and phones, which refuse far smaller ones.
constexpr std::size_t kMaxPhotoBytes = std::size_t{2} << 20;

CDataCardTier::AddressWithCard ReadAddress(const CDataCardTier& data, std::int32_t addressId) {
    auto found = data.ReadAddressWithCard(addressId);
    if (!found)
        throw Error(errnum::RecordNotFound, "There is no address with the ID " + std::to_string(addressId) + ".");
    return std::move(*found);
}

bool Blank(const std::string& value) { return transfer::text::Trim(value).empty(); }

}  // namespace

CardService::CardService(std::string database) : data_(std::make_unique<CDataCardTier>(std::move(database))) {}
CardService::~CardService() = default;

CardModel CardService::Load(std::int32_t addressId) const {
    const CDataCardTier::AddressWithCard address = ReadAddress(*data_, addressId);
    if (address.card) {
        try {
            return ReadCardModel(sync::PatchCard(*address.card, address.fields));
        } catch (const transfer::FileFormatError&) {
            // A kept text that holds no card: the address is shown as one typed here.
        }
    }
    return ReadCardModel(PlainCard(address.fields, transfer::StableUid(addressId)));
}

transfer::AddressFields CardService::Save(std::int32_t addressId, const CardModel& edited) const {
    CardModel model = edited;
    std::erase_if(model.emails, [](const CardEntry& e) { return Blank(e.value) && !e.source; });
    std::erase_if(model.phones, [](const CardEntry& e) { return Blank(e.value) && !e.source; });
    std::erase_if(model.webSites, [](const CardEntry& e) { return Blank(e.value) && !e.source; });
    std::erase_if(model.addresses, [](const PostalAddress& a) {
        return !a.source && Blank(a.poBox + a.extended + a.street + a.city + a.region + a.postalCode + a.country);
    });
    ValidateCardModel(model);
    const std::string card = WriteCardModel(model, transfer::StableUid(addressId));
    const transfer::AddressFields fields = FieldsOfCard(card);
    if (!data_->SaveCardWithAddress(addressId, fields, card))
        throw Error(errnum::RecordNotFound,
                    "The address is no longer stored (deleted in another window or program); nothing was saved.");
    return fields;
}

std::string CardService::Show(std::int32_t addressId, transfer::VCardVersion version) const {
    const CDataCardTier::AddressWithCard address = ReadAddress(*data_, addressId);
    const std::string uid = transfer::StableUid(addressId);
    if (address.card) {
        try {
            return transfer::ExportedCard(*address.card, address.fields, version, uid);
        } catch (const transfer::FileFormatError&) {
            // Written as an address typed here, as export does.
        }
    }
    std::ostringstream out;
    transfer::VCardWriter(out, version).Write(addressId, address.fields);
    return out.str();
}

PhotoFile ReadPhotoFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw Error(errnum::FileNotFound, "The picture file " + path + " could not be opened.");
    PhotoFile photo;
    photo.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) throw Error(errnum::FileNotFound, "The picture file " + path + " could not be read.");
    if (photo.bytes.size() > kMaxPhotoBytes)
        throw Error(kInvalidCardValue, "Photo: the picture file " + path + " is larger than 2 MB.");
    const std::string_view head(photo.bytes.data(), std::min<std::size_t>(photo.bytes.size(), 8));
    if (head.starts_with("\xFF\xD8\xFF")) photo.mediaType = "image/jpeg";
    else if (head.starts_with("\x89PNG\r\n\x1A\n")) photo.mediaType = "image/png";
    else if (head.starts_with("GIF87a") || head.starts_with("GIF89a")) photo.mediaType = "image/gif";
    else throw Error(kInvalidCardValue, "Photo: " + path + " is no JPEG, PNG or GIF picture.");
    return photo;
}

}  // namespace orvane::card
