#pragma once

#include <string>

namespace bench {

// Gives every second address of the database a kept card (three e-mail
// addresses, two phones and a note), builds the search index and prints its
// time and size, then types searches key by key into the real find window
// (offscreen) and prints the time of each keystroke until the results are
// painted. rows: the addresses in the database.
void MeasureFind(const std::string& database, int rows, int repetitions);

}  // namespace bench
