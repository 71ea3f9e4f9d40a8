// What the window says of a sync in words: its progress and summary, and
// each failure with what the user can do about it where it is shown.

#include <gtest/gtest.h>

#include "SyncSession.h"
#include "carddav/CardDavErrors.h"
#include "keychain/Keychain.h"

namespace {

TEST(SyncWordsTest, StepsAndSummariesReadAsSentences) {
    using orvane::sync::ActionKind;
    const struct {
        std::size_t done, total;
        orvane::sync::SyncStep step;
        std::string said;
    } steps[] = {
        {0, 1, {ActionKind::CreateOnServer, "Zed Local", 1, "send: Zed Local (ID 2008)"}, "Sending Zed Local…"},
        {1203, 2000, {ActionKind::UpdateLocal, "Ann Lee", 1, "change here: Ann Lee (ID 3)"},
         "Receiving 1,204 of 2,000"},
        {0, 2000, {ActionKind::StoreLocal, "Ann Lee", 2000, "store here: Ann Lee (x.vcf)"}, "Receiving 2,000 of 2,000"},
        {4, 9, {ActionKind::DeleteOnServer, "Bob Baker", 1, "delete on the server: Bob Baker (b.vcf)"},
         "Deleting Bob Baker on the server…"},
    };
    for (const auto& row : steps) EXPECT_EQ(SyncStepText(row.done, row.total, row.step), row.said);

    orvane::sync::SyncResult result;
    result.received = 2;
    result.sent = 1;
    EXPECT_EQ(SyncSummaryText(result, 0), "Received 2, sent 1; nothing waiting.");
    EXPECT_EQ(SyncSummaryText(result, 3), "Received 2, sent 1; 3 changes waiting for the next sync.");
    result.conflictsHeld = 1;
    EXPECT_EQ(SyncSummaryText(result, 0), "Received 2, sent 1; nothing waiting.\n" + SyncAttentionText(result));
    EXPECT_NE(SyncAttentionText(result).find("1 field was changed here and on the server"), std::string::npos);
}

// Each failure in plain words, never the library's text, with what can be
// done where it is shown: the account dialog never sends the user to
// itself, and a password typed at Synchronize is not corrected in the
// account dialog, which does not keep it.
TEST(SyncWordsTest, FailuresSayWhatHappenedAndWhatToDoThere) {
    namespace errnum = orvane::carddav::errnum;
    using Place = SyncErrorPlace;
    const std::string library = "The request to the server failed: Failed to connect to 127.0.0.1 port 9";
    const struct {
        std::int32_t number;
        Place place;
        const char* happened;
        const char* next;
    } rows[] = {
        {errnum::Network, Place::RunWithTypedPassword, "cannot be reached", "Synchronize (F5)"},
        {errnum::Network, Place::AccountDialog, "cannot be reached", "then check again."},
        {errnum::Authentication, Place::RunWithTypedPassword, "refused the user name or the password",
         "Synchronize again to type the password"},
        {errnum::Authentication, Place::RunWithKeptPassword, "refused", "type the new one under Sync Account"},
        {errnum::Authentication, Place::AccountDialog, "refused", "Correct them and check the connection again."},
        {errnum::Certificate, Place::RunWithTypedPassword, "AB:CD", "choose its file under Sync Account"},
        {errnum::Certificate, Place::AccountDialog, "AB:CD", "choose its file beside \"Trusted certificate file\""},
        {errnum::NoAddressBook, Place::RunWithTypedPassword, "was not found on the server", "Sync Account"},
        {errnum::ServerError, Place::RunWithTypedPassword, "error of its own", "Try again later"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.next);
        const orvane::sync::SyncFailure failure{orvane::sync::SyncFailureKind(row.number), row.number, library,
                                                "AB:CD", false};
        const std::string text = SyncErrorText(failure, row.place);
        EXPECT_NE(text.find(row.happened), std::string::npos) << text;
        EXPECT_NE(text.find(row.next), std::string::npos) << text;
        EXPECT_EQ(text.find("failed"), std::string::npos) << text;
        if (row.place == Place::AccountDialog) {
            EXPECT_EQ(text.find("Sync Account"), std::string::npos) << text;
        }
    }
    for (const std::int32_t keychain : {orvane::keychain::errnum::NoKeychain, orvane::keychain::errnum::Failed}) {
        const std::string text = PasswordNotKeptText(keychain);
        EXPECT_EQ(text.find("session bus"), std::string::npos) << text;
        EXPECT_EQ(text.find(")."), std::string::npos) << text;
        EXPECT_NE(text.find("Synchronize asks for it"), std::string::npos) << text;
    }
}

}  // namespace
