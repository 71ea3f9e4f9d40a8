#pragma once

#include <vector>

#include "find/AddressSearch.h"
#include "toolkit/Form.h"

// The find window: what is typed finds addresses by any field of theirs or
// of their kept card; choosing one selects it in the address-book window's
// name list. Modeless, beside the address-book window.
class frmFind : public orvane::toolkit::Form {
public:
    frmFind();
    static frmFind& Instance();

    // Controls, in the order the window creates them.
    orvane::toolkit::TextBox txtFind{*this, "txtFind"};
    orvane::toolkit::ListBox lstResults{*this, "lstResults"};

    void Form_Load() override;
    void txtFind_Change();
    // Enter or a double click on a result; Enter in the text field takes
    // the selected result, or the first.
    void lstResults_Choose();
    void txtFind_Enter();

protected:
    void BuildLayout() override;

private:
    void BringIndexUpToDate();
    void Choose(std::int32_t row);

    orvane::find::AddressSearch search_;
};
