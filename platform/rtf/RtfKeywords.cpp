#include "RtfKeywords.h"

#include <unordered_map>

#include "RtfState.h"

namespace orvane::rtf {
namespace {

using Table = std::unordered_map<std::string_view, Keyword>;

Table MakeTable() {
    Table t{
        {"fonttbl", {Kw::FontTable}}, {"colortbl", {Kw::ColorTable}}, {"pict", {Kw::Pict}},
        {"shppict", {Kw::ShpPict}}, {"nonshppict", {Kw::NonShpPict}},
        {"fldinst", {Kw::FieldInst}}, {"fldrslt", {Kw::FieldResult}}, {"footnote", {Kw::Footnote}},
        {"shpinst", {Kw::ShapeInst}}, {"sp", {Kw::ShapeProperty}}, {"sn", {Kw::ShapeName}},
        {"sv", {Kw::ShapeValue}}, {"shptxt", {Kw::ShapeText}}, {"picprop", {Kw::PictureProperties}},
        {"nesttableprops", {Kw::NestTableProps}}, {"pn", {Kw::ParaNumbering}},
        {"pntxtb", {Kw::NumberTextBefore}}, {"pntxta", {Kw::NumberTextAfter}},
        {"pntext", {Kw::NumberText}}, {"listtext", {Kw::NumberText}},

        {"ansi", {Kw::Ansi}}, {"ansicpg", {Kw::AnsiCodePage}}, {"mac", {Kw::Mac}}, {"pc", {Kw::Pc}},
        {"pca", {Kw::Pca}}, {"deff", {Kw::DefaultFont}}, {"uc", {Kw::UnicodeSkip}}, {"u", {Kw::Unicode}},
        {"deftab", {Kw::DefaultTab}},

        {"f", {Kw::Font}}, {"fcharset", {Kw::FontCharset}}, {"cpg", {Kw::FontCodePage}},
        {"froman", {Kw::FontRoman}}, {"fswiss", {Kw::FontSwiss}}, {"fmodern", {Kw::FontModern}},
        {"red", {Kw::Red}}, {"green", {Kw::Green}}, {"blue", {Kw::Blue}},

        {"pngblip", {Kw::PngBlip}}, {"jpegblip", {Kw::JpegBlip}}, {"dibitmap", {Kw::DibBitmap}},
        {"wbitmap", {Kw::DeviceBitmap}}, {"emfblip", {Kw::Metafile}}, {"wmetafile", {Kw::Metafile}},
        {"pmmetafile", {Kw::Metafile}}, {"macpict", {Kw::Metafile}},
        {"picw", {Kw::PicW}}, {"pich", {Kw::PicH}}, {"picwgoal", {Kw::PicWGoal}}, {"pichgoal", {Kw::PicHGoal}},
        {"picscalex", {Kw::PicScaleX}}, {"picscaley", {Kw::PicScaleY}},
        {"wbmbitspixel", {Kw::BitmapBitsPerPixel}}, {"wbmwidthbytes", {Kw::BitmapWidthBytes}},

        {"plain", {Kw::Plain}}, {"b", {Kw::Bold}}, {"i", {Kw::Italic}},
        {"ul", {Kw::Underline}}, {"ulw", {Kw::Underline}}, {"ulth", {Kw::Underline}},
        {"uldb", {Kw::UnderlineDouble}}, {"uld", {Kw::UnderlineDotted}}, {"ulthd", {Kw::UnderlineDotted}},
        {"uldash", {Kw::UnderlineDash}}, {"ulldash", {Kw::UnderlineDash}}, {"ulthdash", {Kw::UnderlineDash}},
        {"uldashd", {Kw::UnderlineDashDot}}, {"uldashdd", {Kw::UnderlineDashDotDot}},
        {"ulwave", {Kw::UnderlineWave}}, {"ulhwave", {Kw::UnderlineWave}}, {"ululdbwave", {Kw::UnderlineWave}},
        {"ulnone", {Kw::UnderlineNone}},
        {"strike", {Kw::Strike}}, {"striked", {Kw::Strike}}, {"fs", {Kw::FontSize}},
        {"cf", {Kw::ForeColor}}, {"cb", {Kw::BackColor}}, {"highlight", {Kw::BackColor}},
        {"chcbpat", {Kw::BackColor}}, {"v", {Kw::Hidden}}, {"super", {Kw::Super}}, {"sub", {Kw::Sub}},
        {"nosupersub", {Kw::NoSuperSub}}, {"caps", {Kw::Caps}}, {"scaps", {Kw::SmallCaps}},
        {"up", {Kw::Up}}, {"dn", {Kw::Down}}, {"expndtw", {Kw::ExpandTwips}}, {"expnd", {Kw::ExpandQuarterPoints}},

        {"par", {Kw::Par}}, {"sect", {Kw::Par}}, {"page", {Kw::Par}},
        {"pard", {Kw::Pard}}, {"ql", {Kw::AlignLeft}}, {"qc", {Kw::AlignCenter}}, {"qr", {Kw::AlignRight}},
        {"qj", {Kw::AlignJustify}}, {"qd", {Kw::AlignJustify}},
        {"li", {Kw::LeftIndent}}, {"lin", {Kw::LeftIndent}}, {"ri", {Kw::RightIndent}},
        {"rin", {Kw::RightIndent}}, {"fi", {Kw::FirstIndent}}, {"sb", {Kw::SpaceBefore}},
        {"sa", {Kw::SpaceAfter}}, {"sl", {Kw::LineSpacing}}, {"slmult", {Kw::LineSpacingMultiple}},
        {"tx", {Kw::TabStop}}, {"tqr", {Kw::TabRight}}, {"tqc", {Kw::TabCenter}}, {"tqdec", {Kw::TabDecimal}},
        {"tb", {Kw::TabBar}},
        {"tldot", {Kw::TabLeader, static_cast<char16_t>(TabLeader::Dots)}},
        {"tlmdot", {Kw::TabLeader, static_cast<char16_t>(TabLeader::MiddleDots)}},
        {"tlhyph", {Kw::TabLeader, static_cast<char16_t>(TabLeader::Hyphens)}},
        {"tlul", {Kw::TabLeader, static_cast<char16_t>(TabLeader::Underline)}},
        {"tlth", {Kw::TabLeader, static_cast<char16_t>(TabLeader::ThickLine)}},
        {"tleq", {Kw::TabLeader, static_cast<char16_t>(TabLeader::Equals)}},
        {"brdrt", {Kw::BorderTop}}, {"brdrl", {Kw::BorderLeft}}, {"brdrb", {Kw::BorderBottom}},
        {"brdrr", {Kw::BorderRight}}, {"box", {Kw::BorderBox}}, {"brdrw", {Kw::BorderWidth}},
        {"brdrcf", {Kw::BorderColor}}, {"brdrdb", {Kw::BorderDouble}}, {"brdrtriple", {Kw::BorderDouble}},
        {"brdrnone", {Kw::BorderNone}}, {"brsp", {Kw::BorderSpace}},
        {"brdrdot", {Kw::BorderDotted}}, {"brdrdash", {Kw::BorderDashed}}, {"brdrdashsm", {Kw::BorderDashed}},
        {"brdrdashd", {Kw::BorderDashed}}, {"brdrdashdd", {Kw::BorderDashed}}, {"brdrnil", {Kw::BorderNone}}, {"brdrtbl", {Kw::BorderNone}},
        {"cbpat", {Kw::ParaShading}}, {"shading", {Kw::ParaShadingPercent}},
        {"s", {Kw::Style}}, {"contextualspace", {Kw::ContextualSpace}},

        {"intbl", {Kw::InTable}}, {"itap", {Kw::TableDepth}}, {"trowd", {Kw::RowDefaults}},
        {"cellx", {Kw::CellRight}}, {"row", {Kw::RowEnd}}, {"nestrow", {Kw::NestedRowEnd}},
        {"cell", {Kw::Cell}}, {"nestcell", {Kw::NestedCell}},
        {"trql", {Kw::RowAlignLeft}}, {"trqc", {Kw::RowAlignCenter}}, {"trqr", {Kw::RowAlignRight}},
        {"trleft", {Kw::RowLeft}}, {"trgaph", {Kw::RowGap}},
        {"clbrdrt", {Kw::CellBorderTop}}, {"clbrdrl", {Kw::CellBorderLeft}}, {"clbrdrb", {Kw::CellBorderBottom}},
        {"clbrdrr", {Kw::CellBorderRight}}, {"clcbpat", {Kw::CellShading}}, {"clshdng", {Kw::CellShadingPercent}},
        {"clmgf", {Kw::CellMergeFirst}}, {"clmrg", {Kw::CellMerge}},
        {"clvmgf", {Kw::CellVerticalMergeFirst}}, {"clvmrg", {Kw::CellVerticalMerge}},
        {"trbrdrt", {Kw::RowBorder}}, {"trbrdrl", {Kw::RowBorder}}, {"trbrdrb", {Kw::RowBorder}},
        {"trbrdrr", {Kw::RowBorder}}, {"trbrdrh", {Kw::RowBorder}}, {"trbrdrv", {Kw::RowBorder}},

        {"chftn", {Kw::NoteMark}}, {"ftnalt", {Kw::EndnoteFlag}},

        {"pnlvlblt", {Kw::NumberBullet}}, {"pnlvlbody", {Kw::NumberBody}}, {"pndec", {Kw::NumberDecimal}},
        {"pnucltr", {Kw::NumberUpperLetter}}, {"pnlcltr", {Kw::NumberLowerLetter}},
        {"pnucrm", {Kw::NumberUpperRoman}}, {"pnlcrm", {Kw::NumberLowerRoman}}, {"pnstart", {Kw::NumberStart}},
        {"pnf", {Kw::NumberFont}},

        {"listtable", {Kw::ListTable}}, {"listoverridetable", {Kw::ListOverrideTable}}, {"list", {Kw::List}},
        {"listid", {Kw::ListId}}, {"listlevel", {Kw::ListLevel}}, {"levelnfc", {Kw::LevelFormat}},
        {"levelnfcn", {Kw::LevelFormat}}, {"levelstartat", {Kw::LevelStart}}, {"leveltext", {Kw::LevelText}},
        {"levelnumbers", {Kw::LevelNumbers}}, {"listoverride", {Kw::ListOverride}}, {"ls", {Kw::ListIndex}},
        {"ilvl", {Kw::ListLevelIndex}},

        {"line", {Kw::Line}}, {"tab", {Kw::Tab}},
        {"bullet", {Kw::Special, 0x2022}}, {"emdash", {Kw::Special, 0x2014}},
        {"endash", {Kw::Special, 0x2013}}, {"emspace", {Kw::Special, 0x2003}},
        {"enspace", {Kw::Special, 0x2002}}, {"qmspace", {Kw::Special, 0x2005}},
        {"lquote", {Kw::Special, 0x2018}}, {"rquote", {Kw::Special, 0x2019}},
        {"ldblquote", {Kw::Special, 0x201C}}, {"rdblquote", {Kw::Special, 0x201D}},
        {"zwj", {Kw::Special, 0x200D}}, {"zwnj", {Kw::Special, 0x200C}},
        {"ltrmark", {Kw::Special, 0x200E}}, {"rtlmark", {Kw::Special, 0x200F}},
    };
    // Border kinds drawn as one line.
    for (std::string_view name : {"brdrs", "brdrth", "brdrsh", "brdrhair", "brdrinset", "brdroutset", "brdrwavy", "brdremboss",
                                  "brdrengrave", "brdrframe"}) {
        t.emplace(name, Keyword{Kw::BorderSingle});
    }
    // Destinations whose text is never shown, starred or not.
    for (std::string_view name :
         {"stylesheet", "info", "generator", "header", "headerl", "headerr", "headerf", "footer", "footerl",
          "footerr", "footerf",
          "revtbl", "rsidtbl", "xe", "tc", "txe", "template", "filetbl", "pgdsctbl", "objdata",
          "annotation", "atnid", "atnauthor", "atndate", "atnref", "ftnsep", "ftnsepc", "ftncn", "aftnsep",
          "aftnsepc", "aftncn", "bkmkstart", "bkmkend", "do", "themedata", "colorschememapping",
          "latentstyles", "shprslt", "nonesttables", "listpicture", "datastore", "xmlnstbl", "mmathPr", "userprops", "docvar", "private", "author",
          "operator", "title", "subject", "keywords", "doccomm", "comment", "company", "category", "creatim",
          "revtim", "printim", "buptim", "hlinkbase", "blipuid", "falt", "panose",
          "fname", "passwordhash", "wgrffmtfilter", "xmlopen", "xmlclose"}) {
        t.emplace(name, Keyword{Kw::SkipDestination});
    }
    return t;
}

}  // namespace

Keyword LookupKeyword(std::string_view name) {
    static const Table table = MakeTable();
    auto it = table.find(name);
    return it == table.end() ? Keyword{} : it->second;
}

}  // namespace orvane::rtf
