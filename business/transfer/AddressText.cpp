#include "transfer/AddressText.h"

#include <vector>

#include "transfer/TextTools.h"

namespace orvane::transfer {

std::string AddressAsText(const AddressFields& fields) {
    return text::JoinNonEmpty(std::vector<std::string>(fields.begin(), fields.end()), "\n");
}

}  // namespace orvane::transfer
