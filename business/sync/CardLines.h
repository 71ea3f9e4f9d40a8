#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::sync {

// One content line of a card text: where its bytes stand in the text (all
// its physical lines and their line ends) and the line unfolded the way the
// vCard reader unfolds it.
struct CardLine {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string unfolded;
};

// The content lines of a card text, in order, covering every byte of it:
// text pasted back from the spans of these lines is the text itself.
std::vector<CardLine> SplitCardLines(std::string_view text);

// "\r\n" when the text's first line end is CRLF (or it has none), else "\n".
std::string LineEndOf(std::string_view text);

}  // namespace orvane::sync

namespace orvane::sync {

// The UID of the first card in the text (trimmed), empty when it has none.
std::string CardUid(std::string_view text);

}  // namespace orvane::sync
