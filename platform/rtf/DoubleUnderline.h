#pragma once

#include <QTextFormat>

namespace orvane::rtf {

// Qt underlines with one line only. Text RTF underlines twice (\uldb) gets
// Qt's single underline and this property set to true; the rich-text box
// draws the second line below the first.
inline constexpr int kDoubleUnderlineProperty = QTextFormat::UserProperty + 0x4455;

}  // namespace orvane::rtf
