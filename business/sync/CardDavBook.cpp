#include "carddav/CardDavClient.h"
#include "sync/ServerBook.h"

namespace orvane::sync {
namespace {

class CardDavBook final : public ServerBook {
public:
    explicit CardDavBook(const carddav::ConnectionSettings& settings)
        : url_(settings.addressBook), client_(settings) {}

    bool OffersSyncCollection() override { return client_.OffersSyncCollection(url_); }
    bool TakesVCard4() override { return client_.TakesVCard4(url_); }
    carddav::SyncChanges SyncCollection(const std::string& token) override {
        return client_.SyncCollection(url_, token);
    }
    std::vector<carddav::RemoteEtag> ListEtags() override { return client_.ListEtags(url_); }
    carddav::MultigetResult Multiget(const std::vector<std::string>& cardUrls) override {
        return client_.Multiget(url_, cardUrls);
    }
    std::optional<carddav::RemoteCard> Get(const std::string& cardUrl) override { return client_.Get(cardUrl); }

    std::string CardUrl(const std::string& fileName) const override {
        return carddav::CardDavClient::CardUrl(url_, fileName);
    }
    carddav::WriteResult Create(const std::string& cardUrl, const std::string& vcard) override {
        return client_.Create(cardUrl, vcard);
    }
    carddav::WriteResult Update(const std::string& cardUrl, const std::string& etag,
                                const std::string& vcard) override {
        return client_.Update(cardUrl, etag, vcard);
    }
    carddav::WriteResult Delete(const std::string& cardUrl, const std::string& etag) override {
        return client_.Delete(cardUrl, etag);
    }

    std::size_t RequestCount() const override { return client_.RequestCount(); }
    std::vector<std::string> SkippedHrefs() const override { return client_.SkippedHrefs(); }

private:
    std::string url_;
    carddav::CardDavClient client_;
};

}  // namespace

std::unique_ptr<ServerBook> OpenCardDavBook(const carddav::ConnectionSettings& settings) {
    return std::make_unique<CardDavBook>(settings);
}

}  // namespace orvane::sync
