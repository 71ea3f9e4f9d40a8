#include "transfer/CheckedCards.h"

#include <string>

namespace orvane::transfer {

bool RemoveControlCharacters(std::string& value) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) continue;
        // U+0080..U+009F, the C1 controls, are C2 80..C2 9F in UTF-8.
        if (c == 0xC2 && i + 1 < value.size() && static_cast<unsigned char>(value[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(value[i + 1]) <= 0x9F) {
            ++i;
            continue;
        }
        value[kept++] = value[i];
    }
    const bool removed = kept != value.size();
    value.resize(kept);
    return removed;
}

CheckedCards::CheckedCards(std::unique_ptr<CardSource> reader, std::string_view text,
                           const std::vector<std::size_t>& replaced)
    : reader_(std::move(reader)) {
    // Lines are counted as the readers count them: CR LF, CR or LF ends one.
    replaced_.reserve(replaced.size());
    std::size_t line = 1, pos = 0;
    for (const std::size_t offset : replaced) {
        for (; pos < offset && pos < text.size(); ++pos)
            if (text[pos] == '\n' || (text[pos] == '\r' && (pos + 1 == text.size() || text[pos + 1] != '\n'))) ++line;
        replaced_.push_back({offset, line});
    }
}

bool CheckedCards::Next(ImportedCard& card) {
    if (!reader_->Next(card)) return false;
    bool removed = false;
    for (std::string& field : card.fields) removed = RemoveControlCharacters(field) || removed;
    // The kept card loses them too (its line ends stay), so an export
    // never writes back what the import took out.
    removed = RemoveControlCharacters(card.cardText) || removed;
    if (removed) card.problems.push_back({card.line, "control characters in the values were removed"});
    // The replacements read so far belong to this card (or to the blank
    // lines or header before it); one problem per line.
    std::size_t lastLine = 0;
    for (const std::size_t end = reader_->Offset(); nextReplaced_ < replaced_.size() && replaced_[nextReplaced_].offset < end;
         ++nextReplaced_) {
        const std::size_t line = replaced_[nextReplaced_].line;
        if (line != lastLine)
            card.problems.push_back({line, "bytes that are not UTF-8 were replaced with \xEF\xBF\xBD"});
        lastLine = line;
    }
    return true;
}

}  // namespace orvane::transfer
