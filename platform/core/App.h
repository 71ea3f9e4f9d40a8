#pragma once

#include <string>

namespace orvane::App {

// The application folder, without a trailing separator. Data files are
// found by appending a relative path such as "\Lists\Country.txt" to it.
//
// It is the folder of the running executable when that folder holds a
// Database folder this user can write (a relocatable install, the build
// tree). Otherwise the program is installed under a system prefix, and the
// application folder is the user's own data folder, UserDataFolder().
std::string Path();

// $XDG_DATA_HOME/orvane, or ~/.local/share/orvane when XDG_DATA_HOME is
// unset or not absolute.
std::string UserDataFolder();

// The read-only data installed with the program, <prefix>/share/orvane,
// found from the executable in <prefix>/bin; or the executable's own folder
// when it holds Lists and Documents (a build folder, a copied program folder
// without a Database folder of its own).
std::string SharedDataFolder();

// Points Path() at another folder (tests use a temp folder); an empty
// text goes back to the executable's folder.
void SetPath(std::string folder);

// Turns the program's "\"-separated relative paths into a path this system
// opens: every backslash becomes "/", except within the application folder
// that the path begins with (a folder name may hold a backslash).
std::string NativePath(std::string path);

}  // namespace orvane::App
