// How the rows of a table look: widths, borders, shading and merges from
// their definitions, and the lines where the parts of one table meet.
#include "TableBuilder.h"

#include <QBrush>
#include <QTextLength>

#include <algorithm>

#include "Units.h"

namespace orvane::rtf {
namespace {

void RemoveBorder(QTextTableCellFormat& format, bool top) {
    if (top) {
        format.setTopBorder(0);
        format.setTopBorderStyle(QTextFrameFormat::BorderStyle_None);
    } else {
        format.setBottomBorder(0);
        format.setBottomBorderStyle(QTextFrameFormat::BorderStyle_None);
    }
}

}  // namespace

// Where two tables are one, the line between their rows is drawn once: by
// the row above, the wider of the two lines.
void TableBuilder::JoinSeam(QTextTable& above, QTextTable& below) {
    const int last = above.rows() - 1;
    for (int column = 0; column < below.columns() && column < above.columns(); ++column) {
        QTextTableCell lower = below.cellAt(0, column);
        if (lower.column() != column) continue;  // a merged cell, done at its first column
        QTextTableCellFormat lowerFormat = lower.format().toTableCellFormat();
        if (lowerFormat.topBorderStyle() == QTextFrameFormat::BorderStyle_None || lowerFormat.topBorder() <= 0) continue;
        QTextTableCell upper = above.cellAt(last, column);
        QTextTableCellFormat upperFormat = upper.format().toTableCellFormat();
        if (upperFormat.bottomBorderStyle() == QTextFrameFormat::BorderStyle_None ||
            upperFormat.bottomBorder() < lowerFormat.topBorder()) {
            upperFormat.setBottomBorder(lowerFormat.topBorder());
            upperFormat.setBottomBorderStyle(lowerFormat.topBorderStyle());
            upperFormat.setBottomBorderBrush(lowerFormat.topBorderBrush());
            upper.setFormat(upperFormat);
        }
        RemoveBorder(lowerFormat, true);
        lower.setFormat(lowerFormat);
    }
}

void TableBuilder::OpenSeam(QTextTable& table, int row, bool top) {
    for (int column = 0; column < table.columns(); ++column) {
        QTextTableCell cell = table.cellAt(row, column);
        if (cell.column() != column) continue;  // a merged cell, done at its first column
        QTextTableCellFormat format = cell.format().toTableCellFormat();
        RemoveBorder(format, top);
        cell.setFormat(format);
    }
}

void TableBuilder::Merge(Level& level, int row, int column, int rows, int columns) {
    QTextTable& table = *level.table;
    rows = std::min(rows, table.rows() - row);
    columns = std::min(columns, table.columns() - column);
    if (row < 0 || column < 0 || rows < 1 || columns < 1 || (rows == 1 && columns == 1)) return;
    table.mergeCells(row, column, rows, columns);
    level.merged = true;
}

QTextTableFormat TableBuilder::TableFormat(const RowDef* definition) const {
    QTextTableFormat format;
    format.setBorder(0);
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(0);
    if (!definition) return format;
    switch (definition->align) {
    case Align::Center: format.setAlignment(Qt::AlignHCenter); break;
    case Align::Right: format.setAlignment(Qt::AlignRight); break;
    default: format.setAlignment(Qt::AlignLeft); break;
    }
    if (definition->left > 0) format.setLeftMargin(definition->left / kTwipsPerPixel);
    QList<QTextLength> widths;
    int previous = definition->left;
    for (const CellDef& cell : definition->cells) {
        const int width = cell.right - previous;
        widths.append(width > 0 ? QTextLength(QTextLength::FixedLength, width / kTwipsPerPixel) : QTextLength());
        previous = cell.right;
    }
    if (!widths.isEmpty()) format.setColumnWidthConstraints(widths);
    return format;
}

void ApplyBorderSides(QTextTableCellFormat& format, const std::array<BorderSide, 4>& sides,
                      const DocumentTables& tables, bool widenDoubled) {
    const auto side = [&](Side s) -> const BorderSide& { return sides[static_cast<std::size_t>(s)]; };
    const auto width = [&](Side s) {
        if (side(s).width <= 0) return 0.0;
        const double line = std::max(1.0, side(s).width / kTwipsPerPixel);
        return widenDoubled && side(s).doubled ? std::max(3.0, 3 * line) : line;
    };
    const auto style = [&](Side s) {
        if (side(s).width <= 0) return QTextFrameFormat::BorderStyle_None;
        if (side(s).doubled) return QTextFrameFormat::BorderStyle_Double;
        if (side(s).line == BorderLine::Dotted) return QTextFrameFormat::BorderStyle_Dotted;
        if (side(s).line == BorderLine::Dashed) return QTextFrameFormat::BorderStyle_Dashed;
        return QTextFrameFormat::BorderStyle_Solid;
    };
    const auto brush = [&](Side s) {
        const QColor* c = tables.ColorFor(side(s).color);
        return QBrush(c ? *c : QColor(Qt::black));
    };
    format.setTopBorder(width(Side::Top));
    format.setLeftBorder(width(Side::Left));
    format.setBottomBorder(width(Side::Bottom));
    format.setRightBorder(width(Side::Right));
    format.setTopBorderStyle(style(Side::Top));
    format.setLeftBorderStyle(style(Side::Left));
    format.setBottomBorderStyle(style(Side::Bottom));
    format.setRightBorderStyle(style(Side::Right));
    format.setTopBorderBrush(brush(Side::Top));
    format.setLeftBorderBrush(brush(Side::Left));
    format.setBottomBorderBrush(brush(Side::Bottom));
    format.setRightBorderBrush(brush(Side::Right));
}

QTextTableCellFormat TableBuilder::CellFormat(const CellDef& cell) const {
    QTextTableCellFormat format;
    ApplyBorderSides(format, cell.borders, tables_, false);
    if (const auto shading = tables_.ShadingFor(cell.shading, cell.shadingPercent)) format.setBackground(*shading);
    return format;
}

void TableBuilder::FormatRow(Level& level, const RowDef& definition, bool continuesBelow) {
    QTextTable& table = *level.table;
    if (level.row == 0 || level.edges.empty()) {
        table.setFormat(TableFormat(&definition));
        level.edges = Edges(definition);
    }
    const int cells = static_cast<int>(definition.cells.size());
    std::vector<int> starts = Starts(level.edges, &definition);
    if (starts.empty()) {  // off the grid: one cell a column
        for (int i = 0; i <= cells; ++i) starts.push_back(i);
    }
    if (starts.back() > table.columns() && !level.merged) AddColumns(table, starts.back() - table.columns());
    const int fitting = static_cast<int>(std::upper_bound(starts.begin() + 1, starts.end(), table.columns()) - starts.begin()) - 1;
    const auto startOf = [&](int cell) { return starts[static_cast<std::size_t>(cell)]; };
    const auto spanOf = [&](int first, int last) { return startOf(last + 1) - startOf(first); };

    if (definition.cells != formattedCells_ || definition.gap != formattedGap_) {
        const double padding = std::max(0, definition.gap) / kTwipsPerPixel;
        cellFormats_.clear();
        for (const CellDef& cell : definition.cells) {
            cellFormats_.push_back(CellFormat(cell));
            cellFormats_.back().setLeftPadding(padding);
            cellFormats_.back().setRightPadding(padding);
        }
        formattedCells_ = definition.cells;
        formattedGap_ = definition.gap;
    }
    level.mergeStartRows.resize(static_cast<std::size_t>(table.columns()), -1);
    for (int i = 0; i < fitting; ++i) {
        const CellDef& cell = definition.cells[static_cast<std::size_t>(i)];
        table.cellAt(level.row, startOf(i)).setFormat(cellFormats_[static_cast<std::size_t>(i)]);
        if (spanOf(i, i) > 1) Merge(level, level.row, startOf(i), 1, spanOf(i, i));

        int& start = level.mergeStartRows[static_cast<std::size_t>(startOf(i))];
        if (cell.verticalMerge == 1) {
            start = level.row;
        } else if (cell.verticalMerge == 2 && start >= 0) {
            Merge(level, start, startOf(i), level.row - start + 1, spanOf(i, i));
        } else {
            start = -1;
        }
    }
    for (int i = 0; i < fitting; ++i) {
        if (definition.cells[static_cast<std::size_t>(i)].horizontalMerge != 1) continue;
        int last = i;
        while (last + 1 < fitting && definition.cells[static_cast<std::size_t>(last + 1)].horizontalMerge == 2) ++last;
        if (last > i) Merge(level, level.row, startOf(i), 1, spanOf(i, last));
        i = last;
    }
    if (level.continuesAbove && level.row == 0) OpenSeam(table, 0, true);
    else if (level.above && level.row == 0) JoinSeam(*level.above, table);
    if (continuesBelow) OpenSeam(table, level.row, false);
}

}  // namespace orvane::rtf
