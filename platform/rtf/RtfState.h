#pragma once

#include <QColor>
#include <QString>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <vector>

namespace orvane::rtf {

// How text is underlined; the values follow the kinds a word processor offers.
enum class Underline { None, Single, Double, Dotted, Dash, DashDot, DashDotDot, Wave };

// Character formatting as the control words set it; saved on "{" and
// restored on "}". Zero and -1 mean "not set": the document's default font
// then shows through.
struct CharState {
    bool bold = false;
    bool italic = false;
    Underline underline = Underline::None;
    bool strike = false;
    bool hidden = false;
    int font = -1;        // \fN, -1 for the document's default font
    int halfPoints = 0;   // \fsN
    int foreColor = 0;    // \cfN, 0 = automatic
    int backColor = 0;    // \cbN / \highlightN, 0 = none
    int vertical = 0;     // 1 superscript, -1 subscript
    int caps = 0;         // 1 all capitals, 2 small capitals
    int raise = 0;        // \upN / -\dnN, half-points above the baseline
    int expand = 0;       // \expndtwN, twips between characters
    int link = 0;         // index into DocumentTables::links, 0 = none

    bool operator==(const CharState&) const = default;
};

enum class Align { Left, Center, Right, Justify };
enum class TabKind { Left, Center, Right, Decimal };
// What fills the space before a tab stop, as in a table of contents.
enum class TabLeader { None, Dots, MiddleDots, Hyphens, Underline, ThickLine, Equals };

struct TabStop {
    int position = 0;  // twips from the left edge
    TabKind kind = TabKind::Left;
    TabLeader leader = TabLeader::None;
    bool operator==(const TabStop&) const = default;
};

enum class BorderLine { Solid, Dotted, Dashed };

// One side of a border: 0 width means none.
struct BorderSide {
    int width = 0;   // twips
    int color = 0;   // colour table index, 0 = automatic
    bool doubled = false;
    BorderLine line = BorderLine::Solid;
    bool operator==(const BorderSide&) const = default;
};

enum class Side { Top, Left, Bottom, Right };

// The borders of a paragraph; consecutive paragraphs with equal ones share a box.
struct ParaBorders {
    std::array<BorderSide, 4> sides{};
    int space = 0;  // \brspN: twips between the text and the lines
    bool Any() const {
        for (const BorderSide& side : sides)
            if (side.width > 0) return true;
        return false;
    }
    bool operator==(const ParaBorders&) const = default;
};

// Paragraph formatting, in twips; it holds until \pard.
struct ParaState {
    Align align = Align::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0;  // \slN: >0 at least, <0 exactly, 0 single
    bool lineMultiple = false;
    std::array<TabStop, 16> tabStops{};  // further ones are dropped
    int tabCount = 0;
    TabKind nextTabKind = TabKind::Left;  // \tqr and the like, for the next \tx
    TabLeader nextTabLeader = TabLeader::None;  // \tldot and the like, for the next \tx
    int tableDepth = 0;                   // \intbl / \itapN: 0 outside tables
    int shading = 0;                      // \cbpatN colour index
    int shadingPercent = 0;               // \shadingN in hundredths of a percent
    int style = 0;                        // \sN
    int list = 0;                         // \lsN: the list override the paragraph belongs to, 0 none
    int listLevel = 0;                    // \ilvlN
    bool contextual = false;              // \contextualspace: no space between paragraphs of one style
    ParaBorders borders;
    int borderSide = -1;                  // side (a Side, 4 all) the next \brdrXXX words describe; -1 none

    bool operator==(const ParaState&) const = default;
};

// A cell of a table row as \clxxx ... \cellxN describe it.
struct CellDef {
    int right = 0;  // \cellxN: right edge in twips from the left margin
    std::array<BorderSide, 4> borders{};
    int shading = 0;         // \clcbpatN
    int shadingPercent = 0;  // \clshdngN
    int verticalMerge = 0;   // 1 first of a vertical merge, 2 merged into the one above
    int horizontalMerge = 0; // 1 first of a horizontal merge, 2 merged into the one before

    bool operator==(const CellDef&) const = default;
};

// A table row as \trowd ... describes it.
struct RowDef {
    std::vector<CellDef> cells;
    CellDef next;  // cell properties read before their \cellx
    Align align = Align::Left;
    int left = 0;  // \trleftN
    int gap = 0;   // \trgaphN: half the space between cells
};

// One level of a list of the list table: how its number or bullet looks.
struct ListLevel {
    int format = 0;  // \levelnfcN: 0 1..2, 1 I II, 2 i ii, 3 A B, 4 a b, 23 bullet, 255 nothing
    int start = 1;
    QString text;    // \leveltext: its length, then characters; those below 9 stand for level numbers
};

struct FontEntry {
    QString family;
    int codePage = 0;  // 0: the document's code page
    char kind = 0;     // 'r' roman, 's' swiss, 'm' modern, 0 other
    bool symbol = false;  // \fcharset2: glyph positions, not a code page
};

// What the document's header declares and the body refers to.
struct DocumentTables {
    std::map<int, FontEntry> fonts;
    std::vector<std::optional<QColor>> colors;  // index 0 is "automatic"
    std::vector<QString> links{QString()};      // targets of hyperlinks, index 0 unused
    int defaultFont = -1;
    int codePage = 1252;

    const FontEntry* FontFor(int index) const {
        auto it = fonts.find(index < 0 ? defaultFont : index);
        return it == fonts.end() ? nullptr : &it->second;
    }
    const QColor* ColorFor(int index) const {
        if (index <= 0 || static_cast<std::size_t>(index) >= colors.size() || !colors[index]) return nullptr;
        return &*colors[index];
    }
    // The background a paragraph or cell is shaded with: its colour from the
    // table, else a grey as dark as its percentage (in hundredths).
    std::optional<QColor> ShadingFor(int color, int percent) const {
        if (const QColor* c = ColorFor(color)) return *c;
        if (percent <= 0) return std::nullopt;
        const int grey = 255 - 255 * std::min(percent, 10000) / 10000;
        return QColor(grey, grey, grey);
    }
};

}  // namespace orvane::rtf
