#include "frmDiagram.h"

#include "Functions.h"
#include "frmDescription.h"
#include "frmOrvane.h"

using namespace orvane::toolkit;

frmDiagram::frmDiagram() : Form("Diagram", 8145, 6465) {
    Icon(Functions::gstrAppIcon);
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command3.Click = [this] { Command3_Click(); };
}

frmDiagram& frmDiagram::Instance() { return Forms::Get<frmDiagram>(); }

void frmDiagram::BuildLayout() {
    Command3.Create(*this, "View Program", 3480, 6000, 1455, 375, 4);
    Command2.Create(*this, "View Description", 5040, 6000, 1455, 375, 3);
    Frame1.Create(*this, "", 120, 120, 7935, 5775, 1);
    Picture1.Create(Frame1, 120, 240, 7695, 5415, 2);
    Picture1.Picture(":/diagram.bmp");  // built into the program
    Picture1.AccessibleName("Three-tier application diagram");
    Picture1.AccessibleDescription(
        "The Address Book in three tiers: its window in the client tier, CBusinessTier in the business tier, and "
        "CDataTier and CDataDBTier with the database in the data tier, joined by arrows.");
    Command1.Create(*this, "Close", 6600, 6000, 1455, 375, 0);
}

// Every load centres the window again.
void frmDiagram::Form_Load() { Functions::CentreOnScreen(*this); }

void frmDiagram::Command1_Click() { Unload(); }

void frmDiagram::Command2_Click() { frmDescription::Instance().Show(); }

void frmDiagram::Command3_Click() { frmOrvane::Instance().Show(); }
