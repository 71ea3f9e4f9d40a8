#pragma once

// What the program does once, before its first window.
namespace FirstStart {

// Makes the user's own application folder on the first start of a program
// installed for every user (see ApplicationFolder::Prepare); a relocatable
// folder is left as it is.
void PrepareApplicationFolder();

}  // namespace FirstStart
