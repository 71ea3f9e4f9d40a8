// Contact import and export alone, without the windows:
//
//   orvane-transfer-bench [addresses]      (default: 100000)
//   orvane-transfer-bench --hostile [MB [KIND]]   (default: 50 MB, every kind)
//
// orvane-bench prints the first figures after its own table.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "HostileImports.h"
#include "TransferFigures.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--hostile") == 0) {
        const int megabytes = argc > 2 ? std::atoi(argv[2]) : 50;
        if (megabytes <= 0) {
            std::fprintf(stderr, "usage: orvane-transfer-bench --hostile [MB]\n");
            return 2;
        }
        return bench::PrintHostileImportFigures(megabytes, argc > 3 ? argv[3] : "");
    }
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: orvane-transfer-bench [addresses] | --hostile [MB]\n");
        return 2;
    }
    return bench::PrintTransferFigures(count);
}
