#include "FindFigures.h"

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "CBusinessTier.h"
#include "CDataCardTier.h"
#include "Stats.h"
#include "adodb/Connection.h"
#include "adodb/ConnectionString.h"
#include "find/AddressSearch.h"
#include "frmFind.h"

namespace bench {
namespace {

std::string Card(std::int32_t id) {
    const std::string n = std::to_string(id);
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Contact " + n + "\r\nEMAIL;TYPE=home:person" + n +
           "@example.org\r\nEMAIL;TYPE=work:p" + n + "@work.example.com\r\nEMAIL:contact." + n +
           "@mail.example.net\r\nTEL;TYPE=cell:+49 (30) " + std::to_string(4000000 + id % 5999999) +
           "\r\nTEL;TYPE=work:+1 613-555-" + std::to_string(1000 + id % 8999) +
           "\r\nNOTE:Met at the conference in Ottawa\\; likes sailing and jazz.\r\nEND:VCARD\r\n";
}

}  // namespace

void MeasureFind(const std::string& database, int rows, int repetitions) {
    std::int32_t next = 1;
    CDataCardTier(database).KeepCards([&](std::int32_t& id, std::string& card) {
        if (next > rows) return false;
        id = next;
        card = Card(id);
        next += 2;
        return true;
    });
    PrintValueRow("peak resident memory before the search index", rows, PeakResidentMb(), "MB", "",
                  "with a kept card for every second address");

    const auto before = std::filesystem::file_size(database);
    const double build = TimeMs([&] { orvane::find::AddressSearch(database).UpdateIndex(); });
    const auto after = std::filesystem::file_size(database);
    PrintValueRow("building the search index", rows, build / 1000.0, "s", rows >= 1000000 ? "< 15 s" : "");
    PrintValueRow("size of the search index", rows, static_cast<double>(after - before) / (1024.0 * 1024.0), "MB", "",
                  "growth of the database file");

    frmFind& find = frmFind::Instance();
    find.Show();
    QApplication::processEvents();
    QWidget* edit = find.txtFind.Widget();
    edit->setFocus();
    // Names, a street number, digits inside phone numbers, a word of the
    // kept cards' notes and a word no address has.
    const char* searches[] = {"Greta", "okafor 17", "6135551", "sailing", "main 12", "zqx"};
    EventSeries keys;
    std::vector<std::string> typedSoFar;
    for (int r = 0; r < repetitions; ++r) {
        for (const char* typed : searches) {
            find.txtFind.Text("");
            QApplication::processEvents();
            for (const char* c = typed; *c; ++c) {
                keys.ms.push_back(TimeMs([&] {
                    QTest::keyClick(edit, *c);
                    QApplication::processEvents();
                }));
                typedSoFar.push_back("\"" + std::string(typed, c + 1) + "\" in round " + std::to_string(r + 1));
            }
        }
    }
    PrintEventRow("find window, per keystroke (results painted)", rows, keys, "median < 50 ms, slowest < 150 ms");
    const auto slowest = std::max_element(keys.ms.begin(), keys.ms.end()) - keys.ms.begin();
    PrintValueRow("find window, the slowest keystroke", rows, keys.ms[static_cast<std::size_t>(slowest)], "ms", "",
                  typedSoFar[static_cast<std::size_t>(slowest)]);
    find.Unload();

    // A save of the window's, then a search: only the saved address is
    // indexed again, not every address compared with its fingerprint.
    CBusinessTier business;
    business.FirstName("Zebulon");
    business.SaveAddress();
    std::size_t found = 0;
    const double afterSave = TimeMs([&] { found = orvane::find::AddressSearch(database).Find("zebulon").addresses.size(); });
    PrintValueRow("search right after a save of the window", rows, afterSave, "ms", "",
                  found == 1 ? "the saved address found" : "the saved address NOT found");
    // The same after a change by another program, which every search made
    // after a save of ours before the saves named what they changed: every
    // address compared with its fingerprint.
    {
        orvane::adodb::Connection other;
        other.Open(orvane::adodb::ConnectionStringForFile(database));
        other.Execute("UPDATE tblAddress SET LastName = 'Quillfeather' WHERE ID = 3");
    }
    const double afterOther =
        TimeMs([&] { found = orvane::find::AddressSearch(database).Find("quillfeather").addresses.size(); });
    PrintValueRow("search right after a change by another program", rows, afterOther, "ms", "",
                  found == 1 ? "the changed address found" : "the changed address NOT found");
}

}  // namespace bench
