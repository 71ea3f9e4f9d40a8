#pragma once

#include <QString>
#include <QStringDecoder>

#include <cstddef>
#include <map>
#include <memory>
#include <string_view>

namespace orvane::rtf {

inline constexpr int kDefaultCodePage = 1252;
// Fonts with \fcharset2 number glyphs, not characters; these two are common
// enough (list bullets, Greek letters) to be read as the characters they show.
inline constexpr int kSymbolFontPage = -42;
inline constexpr int kWingdingsFontPage = -43;

// Whether a character of the code page may take more than one byte.
bool IsDoubleByteCodePage(int codePage);

// The Windows code page that a font's \fcharsetN stands for; 0 when the
// charset names no code page of its own (ANSI and DEFAULT take the
// document's code page).
int CodePageForCharset(int charset);

// Turns bytes of one Windows code page into text. Windows-1252 is built in;
// other pages go through Qt's converters where this system has them and
// fall back to Latin-1 where it does not.
class CodePageDecoder {
public:
    QString Decode(int codePage, std::string_view bytes);

private:
    static constexpr std::size_t kMaxConverters = 16;

    QStringDecoder* Converter(int codePage);

    std::map<int, std::unique_ptr<QStringDecoder>> converters_;  // null: not available
};

}  // namespace orvane::rtf
