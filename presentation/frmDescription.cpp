#include "frmDescription.h"

#include "Functions.h"
#include "core/App.h"
#include "frmDiagram.h"
#include "frmOrvane.h"

using namespace orvane::toolkit;

frmDescription::frmDescription() : Form("Description", 11055, 7065) {
    Icon(Functions::gstrAppIcon);
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command3.Click = [this] { Command3_Click(); };
}

frmDescription& frmDescription::Instance() { return Forms::Get<frmDescription>(); }

void frmDescription::BuildLayout() {
    Command3.Create(*this, "View Program", 5880, 6600, 1575, 375, 4);
    Command2.Create(*this, "View Diagram", 7620, 6600, 1575, 375, 3);
    Command1.Create(*this, "Close", 9360, 6600, 1575, 375, 2);
    Frame1.Create(*this, "", 120, 120, 10815, 6375, 0);
    rtfDescription.Create(Frame1, 120, 240, 10575, 6015, 1);
    rtfDescription.Font("MS Sans Serif", 12, 400);
    rtfDescription.AccessibleName("Description");
}

// Reads the document afresh on every load; a document that cannot be read
// fails the load, so the window is not shown.
void frmDescription::Form_Load() {
    rtfDescription.LoadFile(orvane::App::NativePath(orvane::App::Path() + "\\Documents\\Orvane.rtf"), rtfRTF);
    Functions::CentreOnScreen(*this);
}

void frmDescription::Command1_Click() { Unload(); }

void frmDescription::Command2_Click() { frmDiagram::Instance().Show(); }

void frmDescription::Command3_Click() { frmOrvane::Instance().Show(); }
