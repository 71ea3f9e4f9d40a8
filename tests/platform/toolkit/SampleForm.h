#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/Error.h"
#include "toolkit/Form.h"
#include "toolkit/Testing.h"

// A window with one control of each kind; creation order and tab order
// differ on purpose.
class SampleForm : public orvane::toolkit::Form {
public:
    SampleForm() : Form("Sample", 6000, 4500) {
        cmdLast.Click = [this] { clicks.push_back("cmdLast"); };
        lstItems.Click = [this] { clicks.push_back("lstItems " + std::to_string(lstItems.ListIndex())); };
    }
    static SampleForm& Instance() { return orvane::toolkit::Forms::Get<SampleForm>(); }

    orvane::toolkit::CommandButton cmdLast{*this, "cmdLast"};
    orvane::toolkit::Frame fraBox{*this, "fraBox"};
    orvane::toolkit::TextBox txtSecond{*this, "txtSecond"};
    orvane::toolkit::ComboBox cboThird{*this, "cboThird"};
    orvane::toolkit::Label lblName{*this, "lblName"};
    orvane::toolkit::TextBox txtFirst{*this, "txtFirst"};
    orvane::toolkit::Frame fraList{*this, "fraList"};
    orvane::toolkit::ListBox lstItems{*this, "lstItems"};
    orvane::toolkit::PictureBox picShown{*this, "picShown"};
    orvane::toolkit::RichTextBox rtfText{*this, "rtfText"};

    std::vector<std::string> clicks;
    std::function<void()> onLoad;
    void Form_Load() override {
        if (onLoad) onLoad();
    }

protected:
    void BuildLayout() override {
        cmdLast.Create(*this, "Last", 4200, 4000, 1455, 375, 5);
        fraBox.Create(*this, "Box", 120, 0, 3000, 1500, 0);
        txtSecond.Create(fraBox, 240, 600, 2000, 285, 2);
        cboThird.Create(fraBox, 240, 1000, 2000, 315, 3);
        lblName.Create(fraBox, "Name", 240, 240, 1000, 285, 6);
        txtFirst.Create(fraBox, 1300, 240, 1500, 285, 1);
        fraList.Create(*this, "", 3240, 0, 2640, 3000, 7);
        lstItems.Create(fraList, 120, 240, 2400, 2640, 4);
        picShown.Create(*this, 120, 1600, 1500, 1200, 8);
        rtfText.Create(*this, 120, 2900, 3000, 1000, 9);
    }
};

// The sample window shown for each test; every window unloaded after it.
class SampleFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.Show();
        form.clicks.clear();
    }
    void TearDown() override {
        form.onLoad = nullptr;
        orvane::toolkit::Forms::UnloadAll();
        orvane::toolkit::sim::ProcessEvents();
    }
    SampleForm& form = SampleForm::Instance();
};

// The names of the controls that hold the focus after each of that many Tabs.
inline std::vector<std::string> TabCycle(orvane::toolkit::Form& form, int presses) {
    std::vector<std::string> names;
    for (int i = 0; i < presses; ++i) {
        orvane::toolkit::sim::KeyTab(form);
        names.push_back(form.ActiveControl() ? form.ActiveControl()->Name() : "?");
    }
    return names;
}

// The Error that action throws; number 0 if it throws none.
template <class Action>
orvane::Error ErrorOf(Action action) {
    try {
        action();
    } catch (const orvane::Error& e) {
        return e;
    }
    return orvane::Error(0, "");
}
