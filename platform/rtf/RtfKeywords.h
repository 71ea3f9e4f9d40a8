#pragma once

#include <string_view>

namespace orvane::rtf {

// The control words the reader acts on; every other word is ignored.
enum class Kw {
    Unknown,
    // destinations
    FontTable, ColorTable, Pict, ShpPict, NonShpPict, SkipDestination,
    // document
    Ansi, AnsiCodePage, Mac, Pc, Pca, DefaultFont, UnicodeSkip, Unicode,
    // font and colour tables
    Font, FontCharset, FontCodePage, Red, Green, Blue,
    // pictures
    PngBlip, JpegBlip, OtherBlip, PicW, PicH, PicWGoal, PicHGoal, PicScaleX, PicScaleY,
    // character formatting
    Plain, Bold, Italic, Underline, UnderlineNone, Strike, FontSize, ForeColor, BackColor,
    Hidden, Super, Sub, NoSuperSub, Caps, SmallCaps,
    // paragraphs
    Par, Pard, AlignLeft, AlignCenter, AlignRight, AlignJustify,
    LeftIndent, RightIndent, FirstIndent, SpaceBefore, SpaceAfter, LineSpacing, LineSpacingMultiple, TabStop,
    // characters
    Line, Tab, Cell, Special,
};

struct Keyword {
    Kw kw = Kw::Unknown;
    char16_t character = 0;  // for Kw::Special: the character the word stands for
};

Keyword LookupKeyword(std::string_view name);

}  // namespace orvane::rtf
