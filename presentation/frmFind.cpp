#include "frmFind.h"

#include "Functions.h"
#include "frmOrvane.h"
#include "toolkit/BackgroundWork.h"
#include "toolkit/ControlHooks.h"
#include "transfer/TextTools.h"

using namespace orvane::toolkit;

namespace {

// The progress dialog's Cancel: the index is left as it was.
struct IndexCancelled {};

}  // namespace

frmFind::frmFind() : Form("Find Address", 5400, 4800) { Icon(Functions::gstrAppIcon); }

frmFind& frmFind::Instance() { return Forms::Get<frmFind>(); }

void frmFind::BuildLayout() {
    // Tall enough for the field of a 14 pt desktop font.
    txtFind.Create(*this, 120, 120, 5160, 450, 0);
    lstResults.Create(*this, 120, 690, 5160, 3990, 1);
    txtFind.AccessibleName("Find");
    lstResults.AccessibleName("Results");
    OnTextEdited(txtFind, [this] { txtFind_Change(); });
    OnEnter(txtFind, [this] { txtFind_Enter(); });
    OnEntryChosen(lstResults, [this] { lstResults_Choose(); });
    OnEscape(txtFind, [this] { Unload(); });
    OnEscape(lstResults, [this] { Unload(); });
}

void frmFind::Form_Load() {
    Functions::CentreOnScreen(*this);
    BringIndexUpToDate();
}

// The first search of a book, and the first after addresses were changed,
// would wait for the index: it is brought up to date here, under a
// progress dialog, while the other windows keep being drawn.
void frmFind::BringIndexUpToDate() {
    if (search_.IndexCurrent()) return;
    try {
        RunWithProgress("Find Address", [this](WorkProgress& progress) {
            search_.UpdateIndex([&](std::size_t done, std::size_t total) {
                if (progress.CancelRequested()) throw IndexCancelled{};
                progress.Report(done, total,
                                "Indexing addresses: " + orvane::transfer::text::Grouped(done) + " of " +
                                    orvane::transfer::text::Grouped(total));
            });
        });
    } catch (const IndexCancelled&) {
        // Searches bring it up to date themselves, without the dialog.
    }
}

void frmFind::txtFind_Change() {
    // After a change elsewhere, the addresses changed since are indexed
    // again before the search, under the progress dialog.
    BringIndexUpToDate();
    lstResults.Clear();
    const orvane::find::FindResult found = search_.Find(txtFind.Text());
    for (const orvane::find::FoundAddress& a : found.addresses) {
        lstResults.AddItem(a.display + "  —  " + a.matched);
        lstResults.ItemData(lstResults.NewIndex(), a.id);
    }
    if (found.more) {
        lstResults.AddItem("… and " + orvane::transfer::text::Grouped(found.more) + " more");
        lstResults.ItemData(lstResults.NewIndex(), 0);
    }
    lstResults.Refresh();
}

void frmFind::lstResults_Choose() { Choose(lstResults.ListIndex()); }

void frmFind::txtFind_Enter() {
    const std::int32_t row = lstResults.ListIndex();
    Choose(row >= 0 ? row : (lstResults.ListCount() > 0 ? 0 : -1));
}

// Selects the address in the address-book window's name list, which shows
// its details as a click on it would.
void frmFind::Choose(std::int32_t row) {
    if (row < 0 || row >= lstResults.ListCount()) return;
    const std::int32_t id = lstResults.ItemData(row);
    if (id == 0) return;
    frmOrvane& book = frmOrvane::Instance();
    if (!book.IsLoaded()) book.Show();
    for (std::int32_t i = 0; i < book.lstAddress.ListCount(); ++i) {
        if (book.lstAddress.ItemData(i) != id) continue;
        book.lstAddress.ListIndex(i);
        return;
    }
    // Added by another program since the list was filled: the list is read again.
    book.Form_Load();
    for (std::int32_t i = 0; i < book.lstAddress.ListCount(); ++i)
        if (book.lstAddress.ItemData(i) == id) book.lstAddress.ListIndex(i);
}
