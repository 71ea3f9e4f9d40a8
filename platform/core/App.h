#pragma once

#include <string>

namespace orvane::App {

// The application folder: the folder of the running executable, without a
// trailing separator. Data files are found by appending a relative path
// such as "\Lists\Country.txt" to it.
std::string Path();

// Points Path() at another folder (tests use a temp folder); an empty
// text goes back to the executable's folder.
void SetPath(std::string folder);

// Turns the program's "\"-separated relative paths into a path this system
// opens: every backslash becomes "/", except within the application folder
// that the path begins with (a folder name may hold a backslash).
std::string NativePath(std::string path);

}  // namespace orvane::App
