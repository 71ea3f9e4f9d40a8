#pragma once

namespace bench {

// Exports `count` generated addresses in each format (vCard 4.0, vCard 3.0,
// CSV) and imports each file into an empty database, printing milliseconds,
// addresses per second, file sizes and peak memory. Returns 0, or 1 when an
// import did not bring in every address.
int PrintTransferFigures(int count);

}  // namespace bench
