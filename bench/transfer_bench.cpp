// Contact import and export alone, without the windows:
//
//   orvane-transfer-bench [addresses]      (default: 100000)
//
// orvane-bench prints the same figures after its own table.

#include <cstdio>
#include <cstdlib>

#include "TransferFigures.h"

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: orvane-transfer-bench [addresses]\n");
        return 2;
    }
    return bench::PrintTransferFigures(count);
}
