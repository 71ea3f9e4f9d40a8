#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempAppFolder.h"
#include "frmDescription.h"
#include "frmDiagram.h"
#include "frmOrvane.h"
#include "toolkit/MsgBox.h"

// A temp application folder with a database, short reference lists and a
// small description document; message boxes answered by the test. Every
// window is unloaded again at the end.
class AddressBookTest : public ::testing::Test {
protected:
    AddressBookTest();
    ~AddressBookTest() override;

    static frmOrvane& frm() { return frmOrvane::Instance(); }

    // The name list's texts and item data; a choice list's entries.
    static std::vector<std::string> Names();
    static std::vector<std::int32_t> Ids();
    static std::vector<std::string> Entries(const orvane::toolkit::ComboBox& box);
    // The seven detail fields, top to bottom.
    static std::vector<std::string> Fields();
    // Enabled states: "fields" (all seven alike, else "mixed"), then the
    // five editing buttons; compared with kBrowseMode or kEditMode.
    static std::string Mode();
    static constexpr const char* kBrowseMode = "fields off | save off cancel off add on edit on delete on";
    static constexpr const char* kEditMode = "fields on | save on cancel on add off edit off delete off";
    // The names of the controls that hold the focus after each of that many Tabs.
    static std::vector<std::string> TabCycle(orvane::toolkit::Form& form, int presses);

    // The prompts of the message boxes shown so far.
    std::vector<std::string> Prompts() const;

    orvane::test::TempAppFolder folder;
    orvane::toolkit::MsgBoxTester messages;
};
