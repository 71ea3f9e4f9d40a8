#include "AddressBookFixture.h"

#include "toolkit/Screen.h"
#include "toolkit/Testing.h"

using namespace orvane::toolkit;

AddressBookTest::AddressBookTest() {
    folder.WriteDefaultLists();
    folder.WriteFile("Documents/Orvane.rtf", "{\\rtf1\\ansi {\\b About Orvane}\\par The address book.\\par}");
    frm().mblnAdding = false;
}

AddressBookTest::~AddressBookTest() {
    Forms::UnloadAll();
    sim::ProcessEvents();
    Screen::SetSizeForTesting(std::nullopt, std::nullopt);
}

std::vector<std::string> AddressBookTest::Names() {
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < frm().lstAddress.ListCount(); ++i) names.push_back(frm().lstAddress.List(i));
    return names;
}

std::vector<std::int32_t> AddressBookTest::Ids() {
    std::vector<std::int32_t> ids;
    for (std::int32_t i = 0; i < frm().lstAddress.ListCount(); ++i) ids.push_back(frm().lstAddress.ItemData(i));
    return ids;
}

std::vector<std::string> AddressBookTest::Entries(const ComboBox& box) {
    std::vector<std::string> entries;
    for (std::int32_t i = 0; i < box.ListCount(); ++i) entries.push_back(box.List(i));
    return entries;
}

std::vector<std::string> AddressBookTest::Fields() {
    frmOrvane& f = frm();
    return {f.txtFirstname.Text(), f.txtLastname.Text(), f.txtAddress.Text(),   f.txtZip.Text(),
            f.cboStateProv.Text(), f.cboCountry.Text(),  f.txtPhoneNumber.Text()};
}

std::string AddressBookTest::Mode() {
    frmOrvane& f = frm();
    const Control* fields[] = {&f.txtFirstname, &f.txtLastname, &f.txtAddress,   &f.txtZip,
                               &f.cboStateProv, &f.cboCountry,  &f.txtPhoneNumber};
    int enabled = 0;
    for (const Control* field : fields) enabled += field->Enabled() ? 1 : 0;
    auto state = [](const Control& c) { return c.Enabled() ? "on" : "off"; };
    return std::string("fields ") + (enabled == 7 ? "on" : enabled == 0 ? "off" : "mixed") + " | save " +
           state(f.cmdSave) + " cancel " + state(f.cmdCancel) + " add " + state(f.cmdAdd) + " edit " +
           state(f.cmdEdit) + " delete " + state(f.cmdDelete);
}

std::vector<std::string> AddressBookTest::TabCycle(Form& form, int presses) {
    std::vector<std::string> names;
    for (int i = 0; i < presses; ++i) {
        sim::KeyTab(form);
        names.push_back(form.ActiveControl() ? form.ActiveControl()->Name() : "?");
    }
    return names;
}

std::vector<std::string> AddressBookTest::Prompts() const {
    std::vector<std::string> prompts;
    for (const auto& message : messages.Shown()) prompts.push_back(message.prompt);
    return prompts;
}
