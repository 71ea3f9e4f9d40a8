#pragma once

#include "toolkit/Form.h"

// The description window: the rich-text document that explains the program.
class frmDescription : public orvane::toolkit::Form {
public:
    frmDescription();
    static frmDescription& Instance();

    // Controls, in the order the window creates them.
    orvane::toolkit::CommandButton Command3{*this, "Command3"};
    orvane::toolkit::CommandButton Command2{*this, "Command2"};
    orvane::toolkit::CommandButton Command1{*this, "Command1"};
    orvane::toolkit::Frame Frame1{*this, "Frame1"};
    orvane::toolkit::RichTextBox rtfDescription{*this, "rtfDescription"};

    void Form_Load() override;
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

protected:
    void BuildLayout() override;
};
