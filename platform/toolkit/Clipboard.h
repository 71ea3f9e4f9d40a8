#pragma once

#include <string>

// The system clipboard, as plain text.
namespace orvane::toolkit::Clipboard {

void SetText(const std::string& text);
// The clipboard's text; empty when it holds none.
std::string GetText();

}  // namespace orvane::toolkit::Clipboard
