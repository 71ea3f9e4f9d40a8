#include "FirstStart.h"
#include "CBusinessTier.h"
#include "Functions.h"
#include "frmOrvane.h"
#include "toolkit/Application.h"
#include "toolkit/MsgBox.h"

// Shows the address-book window and runs until the last window is closed.
// A failure while the address-book window first loads (a missing reference
// list or database, a user data folder that cannot be made) is reported and
// ends the program with status 1.
int main(int argc, char** argv) {
    orvane::toolkit::Application app(argc, argv);
    orvane::toolkit::Program::Title(Functions::gstrAppTitle);
    return orvane::toolkit::Program::Run([]() -> orvane::toolkit::Form& {
        FirstStart::PrepareApplicationFolder();
        // Today's copy of the database; a failure is reported once, never fatal.
        if (const std::string problem = CBusinessTier::MakeDailyBackup(); !problem.empty())
            orvane::toolkit::MsgBox(problem, orvane::toolkit::vbExclamation, Functions::gstrAppTitle);
        return frmOrvane::Instance();
    });
}
