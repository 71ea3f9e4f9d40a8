// The words that describe rows of tables and their cells (\trowd, \cellx,
// borders, shading, merges) into the row definition of their depth.
#include "RtfParser.h"

#include <algorithm>
#include <array>

namespace orvane::rtf {
namespace {

constexpr std::size_t kMaxCells = 63;  // the most cells a row of a word processor has

}  // namespace

RowDef& RtfParser::RowFor(int depth) {
    return rowDefs_[static_cast<std::size_t>(std::clamp(depth, 1, TableBuilder::kMaxDepth))];
}

int RtfParser::RowDepth() { return std::max(1, Top().para.tableDepth); }

void RtfParser::OnTableWord(Kw kw, const Token& t) {
    Group& g = Top();
    ParaState& p = g.para;
    const int value = t.hasParam ? t.param : 0;
    // \brdrXXX words describe the cell side named last, else the paragraph's.
    std::array<BorderSide*, 4> sides{};
    if (borderTarget_ >= 0) {
        sides[0] = &RowFor(RowDepth()).next.borders[static_cast<std::size_t>(borderTarget_)];
    } else if (p.borderSide == 4) {
        for (std::size_t i = 0; i < 4; ++i) sides[i] = &p.borders.sides[i];
    } else if (p.borderSide >= 0) {
        sides[0] = &p.borders.sides[static_cast<std::size_t>(p.borderSide)];
    }
    const auto forSides = [&](auto&& change) {
        for (BorderSide* side : sides)
            if (side) change(*side);
    };
    switch (kw) {
    case Kw::InTable: p.tableDepth = std::max(p.tableDepth, 1); break;
    case Kw::TableDepth: p.tableDepth = std::clamp(value, 0, TableBuilder::kMaxDepth); break;
    case Kw::RowDefaults:
        RowFor(RowDepth()) = RowDef{};
        borderTarget_ = -1;
        break;
    case Kw::CellRight: {
        RowDef& row = RowFor(RowDepth());
        if (row.cells.size() < kMaxCells) {
            CellDef cell = row.next;
            cell.right = Twips(t);
            row.cells.push_back(cell);
        }
        row.next = CellDef{};
        borderTarget_ = -1;
        break;
    }
    case Kw::RowAlignLeft: RowFor(RowDepth()).align = Align::Left; break;
    case Kw::RowAlignCenter: RowFor(RowDepth()).align = Align::Center; break;
    case Kw::RowAlignRight: RowFor(RowDepth()).align = Align::Right; break;
    case Kw::RowLeft: RowFor(RowDepth()).left = Twips(t); break;
    case Kw::RowGap: RowFor(RowDepth()).gap = Twips(t, 0); break;
    case Kw::CellBorderTop: borderTarget_ = static_cast<int>(Side::Top); break;
    case Kw::CellBorderLeft: borderTarget_ = static_cast<int>(Side::Left); break;
    case Kw::CellBorderBottom: borderTarget_ = static_cast<int>(Side::Bottom); break;
    case Kw::CellBorderRight: borderTarget_ = static_cast<int>(Side::Right); break;
    case Kw::RowBorder:
        borderTarget_ = -1;  // borders of rows are drawn by their cells
        p.borderSide = -1;
        break;
    case Kw::BorderTop: borderTarget_ = -1, p.borderSide = static_cast<int>(Side::Top); break;
    case Kw::BorderLeft: borderTarget_ = -1, p.borderSide = static_cast<int>(Side::Left); break;
    case Kw::BorderBottom: borderTarget_ = -1, p.borderSide = static_cast<int>(Side::Bottom); break;
    case Kw::BorderRight: borderTarget_ = -1, p.borderSide = static_cast<int>(Side::Right); break;
    case Kw::BorderBox: borderTarget_ = -1, p.borderSide = 4; break;
    case Kw::BorderSingle:
    case Kw::BorderDouble:
    case Kw::BorderDotted:
    case Kw::BorderDashed:
        forSides([&](BorderSide& side) {
            side.doubled = kw == Kw::BorderDouble;
            side.line = kw == Kw::BorderDotted ? BorderLine::Dotted : kw == Kw::BorderDashed ? BorderLine::Dashed : BorderLine::Solid;
            if (side.width == 0) side.width = 15;
        });
        break;
    case Kw::BorderNone:
        forSides([](BorderSide& side) { side = BorderSide{}; });
        break;
    case Kw::BorderWidth:
        forSides([&](BorderSide& side) { side.width = std::clamp(value, 0, 1440); });
        break;
    case Kw::BorderColor:
        forSides([&](BorderSide& side) { side.color = std::max(0, value); });
        break;
    case Kw::BorderSpace:
        if (borderTarget_ < 0 && p.borderSide >= 0) p.borders.space = std::clamp(value, 0, 1440);
        break;
    case Kw::CellShading: RowFor(RowDepth()).next.shading = std::max(0, value); break;
    case Kw::CellShadingPercent: RowFor(RowDepth()).next.shadingPercent = std::clamp(value, 0, 10000); break;
    case Kw::CellMergeFirst: RowFor(RowDepth()).next.horizontalMerge = 1; break;
    case Kw::CellMerge: RowFor(RowDepth()).next.horizontalMerge = 2; break;
    case Kw::CellVerticalMergeFirst: RowFor(RowDepth()).next.verticalMerge = 1; break;
    case Kw::CellVerticalMerge: RowFor(RowDepth()).next.verticalMerge = 2; break;

    case Kw::Cell:
    case Kw::NestedCell: {
        const int depth = kw == Kw::Cell ? 1 : std::max(2, p.tableDepth);
        p.tableDepth = std::max(p.tableDepth, depth);
        BeforeText();
        Out().EndCell(depth, p, g.chr);
        labelWritten_ = false;
        break;
    }
    case Kw::RowEnd:
    case Kw::NestedRowEnd: {
        const int depth = kw == Kw::RowEnd ? 1 : std::max(2, p.tableDepth);
        Out().EndRow(depth, RowFor(depth));
        break;
    }
    default:
        break;
    }
}

}  // namespace orvane::rtf
