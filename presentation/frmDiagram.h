#pragma once

#include "toolkit/Form.h"

// The diagram window: a picture of the program's three tiers.
class frmDiagram : public orvane::toolkit::Form {
public:
    frmDiagram();
    static frmDiagram& Instance();

    // Controls, in the order the window creates them.
    orvane::toolkit::CommandButton Command3{*this, "Command3"};
    orvane::toolkit::CommandButton Command2{*this, "Command2"};
    orvane::toolkit::Frame Frame1{*this, "Frame1"};
    orvane::toolkit::PictureBox Picture1{*this, "Picture1"};
    orvane::toolkit::CommandButton Command1{*this, "Command1"};

    void Form_Load() override;
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

protected:
    void BuildLayout() override;
};
