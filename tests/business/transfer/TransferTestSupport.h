#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/TextFile.h"
#include "transfer/FileFormatError.h"
#include "transfer/ImportedCard.h"

namespace orvane::test {

// Every card a reader gives, read from raw file bytes as the importer
// decodes them.
template <class Reader>
std::vector<transfer::ImportedCard> ReadAll(const std::string& bytes) {
    const std::string text = DecodeText(bytes);
    Reader reader(text);
    std::vector<transfer::ImportedCard> cards;
    transfer::ImportedCard card;
    while (reader.Next(card)) cards.push_back(card);
    return cards;
}

// The line and message with which a reader refuses a file.
template <class Reader>
std::pair<std::size_t, std::string> RefusalOf(const std::string& bytes) {
    try {
        ReadAll<Reader>(bytes);
    } catch (const transfer::FileFormatError& e) {
        return {e.Line(), e.Description()};
    }
    return {0, "not refused"};
}

// Lines joined with CR LF, as contact files are written.
inline std::string CrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return out;
}

inline transfer::AddressFields Fields(std::string first, std::string last, std::string street, std::string zip,
                                      std::string state, std::string country, std::string phone) {
    return {std::move(first), std::move(last), std::move(street), std::move(zip),
            std::move(state), std::move(country), std::move(phone)};
}

// Raw bytes of UTF-16 LE with its byte-order mark, from ASCII text.
inline std::string Utf16LeFromAscii(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

}  // namespace orvane::test
