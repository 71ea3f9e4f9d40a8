#include "SearchText.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace orvane::searchtext {
namespace {

const icu::Normalizer2* Decomposer() {
    UErrorCode status = U_ZERO_ERROR;
    static const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    return U_SUCCESS(status) ? nfd : nullptr;
}

void AppendUtf8(std::string& out, UChar32 c) {
    char buffer[U8_MAX_LENGTH];
    std::int32_t length = 0;
    UBool error = false;
    U8_APPEND(reinterpret_cast<std::uint8_t*>(buffer), length, U8_MAX_LENGTH, c, error);
    if (!error) out.append(buffer, static_cast<std::size_t>(length));
}

// Appends one character folded: its base letters without their marks, in
// lower case. Plain ASCII, nearly all of an address book, takes no lookup.
void AppendFolded(std::string& out, UChar32 c) {
    if (c < 0x80) {
        out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return;
    }
    icu::UnicodeString parts;
    const icu::Normalizer2* nfd = Decomposer();
    if (nfd == nullptr || !nfd->getDecomposition(c, parts)) parts = icu::UnicodeString(c);
    for (std::int32_t i = 0; i < parts.length(); i = parts.moveIndex32(i, 1)) {
        const UChar32 part = parts.char32At(i);
        if (u_charType(part) == U_NON_SPACING_MARK) continue;
        const UChar32 lower = u_foldCase(part, U_FOLD_CASE_DEFAULT);
        if (lower < 0x80) out += static_cast<char>(lower);
        else AppendUtf8(out, lower);
    }
}

template <typename OnChar>
void ForEachChar(std::string_view text, OnChar onChar) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    while (i < length) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        onChar(c < 0 ? 0xFFFD : c);
    }
}

bool IsWordChar(UChar32 c) {
    if (c < 0x80) return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return u_isalnum(c) || u_charType(c) == U_NON_SPACING_MARK || u_charType(c) == U_COMBINING_SPACING_MARK;
}

}  // namespace

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    ForEachChar(text, [&](UChar32 c) {
        if (IsWordChar(c)) {
            AppendFolded(word, c);
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    });
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

std::string Fold(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachChar(text, [&](UChar32 c) { AppendFolded(out, c); });
    return out;
}

}  // namespace orvane::searchtext
