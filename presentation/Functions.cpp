#include "Functions.h"

#include <cmath>
#include <string>
#include <vector>

#include "core/App.h"
#include "core/TextFile.h"
#include "frmOrvane.h"
#include "toolkit/Screen.h"

using orvane::toolkit::ComboBox;
using orvane::toolkit::Control;

namespace Functions {
namespace {

// One entry per line of the file, in file order; the combo box's text is
// left to the caller.
void FillList(const std::string& strRelativePath, ComboBox& cboTarget) {
    cboTarget.Clear();
    orvane::TextFile file(orvane::App::NativePath(orvane::App::Path() + strRelativePath));
    std::vector<std::string> strLines;
    while (!file.AtEndOfFile()) strLines.push_back(file.ReadLine());
    cboTarget.AddItems(strLines);
}

template <class Setter>
void ForEachField(Setter setter) {
    frmOrvane& frm = frmOrvane::Instance();
    for (Control* ctl : frm.Controls())
        if (ctl->IsTextBox()) setter(*ctl);
    for (Control* ctl : frm.Controls())
        if (ctl->IsComboBox()) setter(*ctl);
}

// Integer halving of a difference rounded to a whole number first (halves
// to even), the quotient truncated toward zero.
std::int32_t HalfOf(double dblDifference) {
    const auto lngRounded = static_cast<std::int64_t>(std::nearbyint(dblDifference));
    return static_cast<std::int32_t>(lngRounded / 2);
}

}  // namespace

void FillStateProvinceList() { FillList("\\Lists\\StateProvince.txt", frmOrvane::Instance().cboStateProv); }

void FillCountryList() { FillList("\\Lists\\Country.txt", frmOrvane::Instance().cboCountry); }

void DisableFields() {
    ForEachField([](Control& ctl) { ctl.Enabled(false); });
}

void EnableFields() {
    ForEachField([](Control& ctl) { ctl.Enabled(true); });
}

void ClearFields() {
    ForEachField([](Control& ctl) { ctl.Text(""); });
}

void SetBrowseButtons() {
    frmOrvane& frm = frmOrvane::Instance();
    frm.cmdSave.Enabled(false);
    frm.cmdCancel.Enabled(false);
    frm.cmdAdd.Enabled(true);
    frm.cmdEdit.Enabled(true);
    frm.cmdDelete.Enabled(true);
}

void SetEditButtons() {
    frmOrvane& frm = frmOrvane::Instance();
    frm.cmdSave.Enabled(true);
    frm.cmdCancel.Enabled(true);
    frm.cmdAdd.Enabled(false);
    frm.cmdEdit.Enabled(false);
    frm.cmdDelete.Enabled(false);
}

void CentreOnScreen(orvane::toolkit::Form& frm) {
    namespace Screen = orvane::toolkit::Screen;
    const double dblDx = static_cast<double>(Screen::Width()) - frm.Width();
    const double dblDy = static_cast<double>(Screen::Height()) - frm.Height();
    frm.Move(HalfOf(dblDx), HalfOf(dblDy));
}

}  // namespace Functions
