#pragma once

// The application folder of a program installed for every user of the
// machine: the user's own data folder, made on the first start.
namespace ApplicationFolder {

// When the application folder is the user's own data folder, makes what is
// missing of it: the folder itself, an empty Database/Addressbook.mdb built
// from the schema, and Lists and Documents as links to the copies installed
// with the program (or to those beside it, see App::SharedDataFolder). The
// folders it makes are the user's alone (0700), and so is the database
// (0600). Whatever is already there is kept: a user's addresses,
// and Lists or Documents folders of their own; only a link that leads
// nowhere is made again. A folder that holds the program itself (a
// relocatable install, the build tree) is laid out by its installer and
// left alone.
void Prepare();

}  // namespace ApplicationFolder
