#include "RtfKeywords.h"

#include <unordered_map>

namespace orvane::rtf {
namespace {

using Table = std::unordered_map<std::string_view, Keyword>;

Table MakeTable() {
    Table t{
        {"fonttbl", {Kw::FontTable}}, {"colortbl", {Kw::ColorTable}}, {"pict", {Kw::Pict}},
        {"shppict", {Kw::ShpPict}}, {"nonshppict", {Kw::NonShpPict}},

        {"ansi", {Kw::Ansi}}, {"ansicpg", {Kw::AnsiCodePage}}, {"mac", {Kw::Mac}}, {"pc", {Kw::Pc}},
        {"pca", {Kw::Pca}}, {"deff", {Kw::DefaultFont}}, {"uc", {Kw::UnicodeSkip}}, {"u", {Kw::Unicode}},

        {"f", {Kw::Font}}, {"fcharset", {Kw::FontCharset}}, {"cpg", {Kw::FontCodePage}},
        {"red", {Kw::Red}}, {"green", {Kw::Green}}, {"blue", {Kw::Blue}},

        {"pngblip", {Kw::PngBlip}}, {"jpegblip", {Kw::JpegBlip}}, {"emfblip", {Kw::OtherBlip}},
        {"wmetafile", {Kw::OtherBlip}}, {"pmmetafile", {Kw::OtherBlip}}, {"macpict", {Kw::OtherBlip}},
        {"dibitmap", {Kw::OtherBlip}}, {"wbitmap", {Kw::OtherBlip}},
        {"picw", {Kw::PicW}}, {"pich", {Kw::PicH}}, {"picwgoal", {Kw::PicWGoal}}, {"pichgoal", {Kw::PicHGoal}},
        {"picscalex", {Kw::PicScaleX}}, {"picscaley", {Kw::PicScaleY}},

        {"plain", {Kw::Plain}}, {"b", {Kw::Bold}}, {"i", {Kw::Italic}},
        {"ul", {Kw::Underline}}, {"uld", {Kw::Underline}}, {"uldb", {Kw::Underline}},
        {"uldash", {Kw::Underline}}, {"uldashd", {Kw::Underline}}, {"uldashdd", {Kw::Underline}},
        {"ulw", {Kw::Underline}}, {"ulwave", {Kw::Underline}}, {"ulhwave", {Kw::Underline}},
        {"ululdbwave", {Kw::Underline}}, {"ulth", {Kw::Underline}}, {"ulthd", {Kw::Underline}},
        {"ulthdash", {Kw::Underline}}, {"ulldash", {Kw::Underline}}, {"ulnone", {Kw::UnderlineNone}},
        {"strike", {Kw::Strike}}, {"striked", {Kw::Strike}}, {"fs", {Kw::FontSize}},
        {"cf", {Kw::ForeColor}}, {"cb", {Kw::BackColor}}, {"highlight", {Kw::BackColor}},
        {"chcbpat", {Kw::BackColor}}, {"v", {Kw::Hidden}}, {"super", {Kw::Super}}, {"sub", {Kw::Sub}},
        {"nosupersub", {Kw::NoSuperSub}}, {"caps", {Kw::Caps}}, {"scaps", {Kw::SmallCaps}},

        {"par", {Kw::Par}}, {"sect", {Kw::Par}}, {"page", {Kw::Par}}, {"row", {Kw::Par}},
        {"pard", {Kw::Pard}}, {"ql", {Kw::AlignLeft}}, {"qc", {Kw::AlignCenter}}, {"qr", {Kw::AlignRight}},
        {"qj", {Kw::AlignJustify}}, {"qd", {Kw::AlignJustify}},
        {"li", {Kw::LeftIndent}}, {"lin", {Kw::LeftIndent}}, {"ri", {Kw::RightIndent}},
        {"rin", {Kw::RightIndent}}, {"fi", {Kw::FirstIndent}}, {"sb", {Kw::SpaceBefore}},
        {"sa", {Kw::SpaceAfter}}, {"sl", {Kw::LineSpacing}}, {"slmult", {Kw::LineSpacingMultiple}},
        {"tx", {Kw::TabStop}},

        {"line", {Kw::Line}}, {"tab", {Kw::Tab}}, {"cell", {Kw::Cell}}, {"nestcell", {Kw::Cell}},
        {"bullet", {Kw::Special, 0x2022}}, {"emdash", {Kw::Special, 0x2014}},
        {"endash", {Kw::Special, 0x2013}}, {"emspace", {Kw::Special, 0x2003}},
        {"enspace", {Kw::Special, 0x2002}}, {"qmspace", {Kw::Special, 0x2005}},
        {"lquote", {Kw::Special, 0x2018}}, {"rquote", {Kw::Special, 0x2019}},
        {"ldblquote", {Kw::Special, 0x201C}}, {"rdblquote", {Kw::Special, 0x201D}},
        {"zwj", {Kw::Special, 0x200D}}, {"zwnj", {Kw::Special, 0x200C}},
        {"ltrmark", {Kw::Special, 0x200E}}, {"rtlmark", {Kw::Special, 0x200F}},
    };
    // Destinations whose text is never shown, starred or not.
    for (std::string_view name :
         {"stylesheet", "info", "generator", "header", "headerl", "headerr", "headerf", "footer", "footerl",
          "footerr", "footerf", "footnote", "pn", "pntxta", "pntxtb", "listtable", "listoverridetable",
          "revtbl", "rsidtbl", "xe", "tc", "txe", "fldinst", "template", "filetbl", "pgdsctbl", "objdata",
          "annotation", "atnid", "atnauthor", "atndate", "atnref", "ftnsep", "ftnsepc", "ftncn", "aftnsep",
          "aftnsepc", "aftncn", "bkmkstart", "bkmkend", "do", "themedata", "colorschememapping",
          "latentstyles", "datastore", "xmlnstbl", "mmathPr", "userprops", "docvar", "private", "author",
          "operator", "title", "subject", "keywords", "doccomm", "comment", "company", "category", "creatim",
          "revtim", "printim", "buptim", "hlinkbase", "shpinst", "picprop", "blipuid", "falt", "panose",
          "fname", "listpicture", "passwordhash", "wgrffmtfilter", "xmlopen", "xmlclose"}) {
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
