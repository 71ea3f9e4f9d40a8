#pragma once

#include <functional>
#include <memory>
#include <string>

namespace orvane::toolkit {

class Form;

// The program's connection to the window system. Exactly one exists, made
// first thing in main (and in the tests' main); at its end every window is
// unloaded and every window instance destroyed.
class Application {
public:
    // argc must outlive the Application.
    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

namespace Program {

// The program's title: the title of the message boxes that report errors.
void Title(std::string NewTitle);
std::string Title();

// Creates the start-up window and shows it. An error on the way (in its
// Form_Initialize or Form_Load) is reported in a message box and gives
// false; the window is then not shown.
bool Start(const std::function<Form&()>& startForm);

// Start, then the event loop until the last window is unloaded. Returns the
// exit status: 0, or 1 when the start failed.
int Run(const std::function<Form&()>& startForm);

// True once the last loaded window has been unloaded (the program is
// ending); loading a window makes it false again.
bool Ended();

}  // namespace Program
}  // namespace orvane::toolkit
