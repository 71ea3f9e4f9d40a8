#pragma once

#include <string>

namespace bench {

// Imports hostile files of about `megabytes` MB each (a CSV row of nothing
// but commas, a header of nothing but commas, empty vCards, one vCard of
// millions of lines, CSV rows with one value too many, a header of as many address groups as fit) into an
// empty database, each in a child process, and prints the time and the
// child's peak resident memory beside the file's size. Returns 0, or 1
// when a child failed. only: just the kinds whose name holds it.
int PrintHostileImportFigures(int megabytes, const std::string& only = {});

}  // namespace bench
