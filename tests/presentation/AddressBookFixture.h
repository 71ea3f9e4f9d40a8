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

    // The name list's texts and item data.
    static std::vector<std::string> Names();
    static std::vector<std::int32_t> Ids();
    // The seven detail fields, top to bottom.
    static std::vector<std::string> Fields();
    // Enabled states: "fields" (all seven alike, else "mixed"), then the
    // five editing buttons, e.g. "fields off | save off cancel off add on edit on delete on".
    static std::string Mode();
    static std::string BrowseMode();
    static std::string EditMode();

    // The prompts of the message boxes shown so far.
    std::vector<std::string> Prompts() const;

    orvane::test::TempAppFolder folder;
    orvane::toolkit::MsgBoxTester messages;
};
