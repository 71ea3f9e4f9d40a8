#pragma once

#include <functional>
#include <string>
#include <vector>

#include "toolkit/Form.h"

// A window with one control of each kind; creation order and tab order
// differ on purpose.
class SampleForm : public orvane::toolkit::Form {
public:
    SampleForm();
    static SampleForm& Instance();

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

    int initializeCount = 0;
    int loadCount = 0;
    std::vector<std::string> clicks;
    std::function<void()> onLoad;

    void Form_Initialize() override { ++initializeCount; }
    void Form_Load() override;

protected:
    void BuildLayout() override;
};
