// orvane-createdb: creates a new, empty address database from the schema,
// optionally filled with generated addresses. Never touches an existing file.
//
//   orvane-createdb <path/Addressbook.mdb> [--fill N]

#include <cstdlib>
#include <iostream>
#include <string>

#include "AddressbookSchema.h"
#include "core/Error.h"

int main(int argc, char** argv) {
    const bool wellFormed = (argc == 2 || (argc == 4 && std::string(argv[2]) == "--fill")) && argv[1][0] != '-';
    if (!wellFormed) {
        std::cerr << "usage: orvane-createdb <database file> [--fill N]\n";
        return 2;
    }
    int count = 0;
    if (argc == 4) {
        char* end = nullptr;
        long n = std::strtol(argv[3], &end, 10);
        if (*end != '\0' || n < 0 || n > 100'000'000) {
            std::cerr << "orvane-createdb: --fill needs a whole number of addresses\n";
            return 2;
        }
        count = static_cast<int>(n);
    }
    try {
        AddressbookSchema::CreateDatabase(argv[1]);
        if (count > 0) AddressbookSchema::FillGenerated(argv[1], count);
    } catch (const orvane::Error& e) {
        std::cerr << "orvane-createdb: " << e.Description() << '\n';
        return 1;
    }
    std::cout << "created " << argv[1];
    if (count > 0) std::cout << " with " << count << " addresses";
    std::cout << '\n';
    return 0;
}
