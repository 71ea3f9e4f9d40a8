#include "SampleForm.h"

using namespace orvane::toolkit;

SampleForm::SampleForm() : Form("Sample", 6000, 4500) {
    cmdLast.Click = [this] { clicks.push_back("cmdLast"); };
    lstItems.Click = [this] { clicks.push_back("lstItems " + std::to_string(lstItems.ListIndex())); };
}

SampleForm& SampleForm::Instance() { return Forms::Get<SampleForm>(); }

void SampleForm::Form_Load() {
    ++loadCount;
    if (onLoad) onLoad();
}

void SampleForm::BuildLayout() {
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
    rtfText.Font("MS Sans Serif", 12);
}
