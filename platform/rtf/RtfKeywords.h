#pragma once

#include <string_view>

namespace orvane::rtf {

// The control words the reader acts on; every other word is ignored.
enum class Kw {
    Unknown,
    // destinations
    FontTable, ColorTable, Pict, ShpPict, NonShpPict, SkipDestination,
    FieldInst, FieldResult, Footnote, ShapeInst, ShapeProperty, ShapeName, ShapeValue, ShapeText,
    PictureProperties, NestTableProps, ParaNumbering, NumberTextBefore, NumberTextAfter, NumberText,
    // document
    Ansi, AnsiCodePage, Mac, Pc, Pca, DefaultFont, UnicodeSkip, Unicode, DefaultTab,
    // font and colour tables
    Font, FontCharset, FontCodePage, FontRoman, FontSwiss, FontModern, Red, Green, Blue,
    // pictures
    PngBlip, JpegBlip, DibBitmap, DeviceBitmap, Metafile, OtherBlip, PicW, PicH, PicWGoal, PicHGoal,
    PicScaleX, PicScaleY, BitmapBitsPerPixel, BitmapWidthBytes,
    // character formatting
    Plain, Bold, Italic, Underline, UnderlineDouble, UnderlineDotted, UnderlineDash, UnderlineDashDot,
    UnderlineDashDotDot, UnderlineWave, UnderlineNone, Strike, FontSize, ForeColor, BackColor,
    Hidden, Super, Sub, NoSuperSub, Caps, SmallCaps, Up, Down, ExpandTwips, ExpandQuarterPoints,
    // paragraphs
    Par, Pard, AlignLeft, AlignCenter, AlignRight, AlignJustify,
    LeftIndent, RightIndent, FirstIndent, SpaceBefore, SpaceAfter, LineSpacing, LineSpacingMultiple, TabStop,
    TabRight, TabCenter, TabDecimal, TabBar, TabLeader,
    BorderTop, BorderLeft, BorderBottom, BorderRight, BorderBox, BorderWidth, BorderColor,
    BorderSingle, BorderDouble, BorderDotted, BorderDashed, BorderNone, BorderSpace, ParaShading, ParaShadingPercent, Style, ContextualSpace,
    // tables
    InTable, TableDepth, RowDefaults, CellRight, RowEnd, NestedRowEnd, Cell, NestedCell,
    RowAlignLeft, RowAlignCenter, RowAlignRight, RowLeft, RowGap,
    CellBorderTop, CellBorderLeft, CellBorderBottom, CellBorderRight, CellShading, CellShadingPercent,
    CellMergeFirst, CellMerge, CellVerticalMergeFirst, CellVerticalMerge, RowBorder,
    // notes
    NoteMark, EndnoteFlag,
    // paragraph numbering
    NumberBullet, NumberBody, NumberDecimal, NumberUpperLetter, NumberLowerLetter, NumberUpperRoman,
    NumberLowerRoman, NumberStart, NumberFont,
    // list tables
    ListTable, ListOverrideTable, List, ListId, ListLevel, LevelFormat, LevelStart, LevelText, LevelNumbers,
    ListOverride, ListIndex, ListLevelIndex,
    // characters
    Line, Tab, Special,
};

struct Keyword {
    Kw kw = Kw::Unknown;
    char16_t character = 0;  // Kw::Special: the character the word stands for; Kw::TabLeader: the TabLeader
};

Keyword LookupKeyword(std::string_view name);

}  // namespace orvane::rtf
