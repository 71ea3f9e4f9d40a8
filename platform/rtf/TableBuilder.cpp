#include "TableBuilder.h"

#include <QBrush>
#include <QTextLength>

#include <algorithm>
#include <utility>

namespace orvane::rtf {
namespace {

constexpr double kTwipsPerPixel = 15.0;

const RowDef* DefinitionFor(std::size_t depth, const std::vector<RowDef>& definitions) {
    return depth < definitions.size() ? &definitions[depth] : nullptr;
}

}  // namespace

std::vector<int> TableBuilder::Edges(const RowDef& definition) {
    std::vector<int> edges;
    for (const CellDef& cell : definition.cells) edges.push_back(cell.right);
    return edges;
}

std::vector<int> TableBuilder::Starts(const std::vector<int>& tableEdges, const RowDef* definition) {
    std::vector<int> starts{0};
    if (!definition || definition->cells.empty()) return {};
    int column = 0;
    for (const CellDef& cell : definition->cells) {
        auto at = std::find(tableEdges.begin() + column, tableEdges.end(), cell.right);
        if (at == tableEdges.end()) return {};  // not on the table's grid
        column = static_cast<int>(at - tableEdges.begin()) + 1;
        starts.push_back(column);
    }
    return starts;
}

bool TableBuilder::Enter(int wanted, const std::vector<RowDef>& definitions) {
    const auto depth = static_cast<std::size_t>(std::clamp(wanted, 0, kMaxDepth));
    bool moved = false;
    while (levels_.size() > depth) {  // content outside a table that was open
        LeaveTable(levels_.back());
        levels_.pop_back();
        moved = true;
    }
    for (std::size_t index = 0; index < depth; ++index) {
        const RowDef* definition = DefinitionFor(index + 1, definitions);
        if (index < levels_.size()) {
            Level& level = levels_[index];
            if (level.rowOpen) {
                if (level.cellEnded) {
                    NextCell(level);
                    moved = true;
                }
                continue;
            }
            // The table before the cursor goes on, unless this row has cell
            // edges of its own.
            std::vector<int> starts = level.edges.empty() ? std::vector<int>{} : Starts(level.edges, definition);
            const bool sameEdges = !definition || definition->cells.empty() || level.edges.empty() || !starts.empty();
            if (sameEdges && level.table->rows() < kRowsPerTable) {
                level.table->appendRows(1);
                ++level.row;
                level.column = 0;
                level.cell = 0;
                level.starts = std::move(starts);
                level.rowOpen = true;
                cursor_.setPosition(level.table->cellAt(level.row, 0).firstPosition());
                moved = true;
                continue;
            }
            OpenNextTable(index, definitions, sameEdges);  // deeper levels were left above
            moved = true;
            continue;
        }
        OpenNextTable(index, definitions, false);
        moved = true;
    }
    return moved;
}

// The block between two parts of one long table takes no room.
void TableBuilder::CollapseBlock() { Collapse(cursor_); }

void TableBuilder::Collapse(QTextCursor& at) {
    QTextBlockFormat collapsed;
    collapsed.setLineHeight(0, QTextBlockFormat::FixedHeight);
    at.setBlockFormat(collapsed);
    QTextCharFormat tiny;
    tiny.setFontPointSize(1);
    at.setBlockCharFormat(tiny);
}

void TableBuilder::LeaveOuterFrame() {
    if (!group_ || !levels_.empty()) return;
    cursor_.setPosition(group_->lastPosition() + 1);
    group_ = nullptr;
}

QTextFrame* TableBuilder::ReserveOuterTable() {
    const bool newFrame = !group_ || groupTables_ >= groupLimit_;
    MakeRoomForTable();
    ++groupTables_;
    return newFrame ? group_ : nullptr;
}

void TableBuilder::Finish() {
    if (!group_) return;
    QTextCursor after(cursor_);
    after.setPosition(group_->lastPosition() + 1);
    if (after.block().length() == 1 && !after.block().next().isValid()) {
        std::swap(cursor_, after);
        CollapseBlock();
        std::swap(cursor_, after);
    }
}

void TableBuilder::MakeRoomForTable() {
    if (group_ && groupTables_ < groupLimit_) return;
    if (group_) {
        cursor_.setPosition(group_->lastPosition() + 1);
        CollapseBlock();
    }
    QTextFrameFormat invisible;
    invisible.setBorder(0);
    invisible.setMargin(0);
    invisible.setPadding(0);
    group_ = cursor_.insertFrame(invisible);
    groupTables_ = 0;
    groupLimit_ = groupLimit_ == 0 ? 1 : std::min(2 * groupLimit_, kTablesPerFrame);
}

void TableBuilder::OpenRow(std::size_t index, const RowDef* definition, bool joinsAbove) {
    const int columns = definition && !definition->cells.empty() ? static_cast<int>(definition->cells.size()) : 1;
    if (joinsAbove) CollapseBlock();
    if (index == 0) {
        // Content outside tables stays in the frame too, so the cursor is
        // in it unless this is the first table.
        MakeRoomForTable();
        ++groupTables_;
    }
    Level level;
    level.table = cursor_.insertTable(1, columns, TableFormat(definition));
    level.rowOpen = true;
    if (definition) level.edges = Edges(*definition);
    level.starts = Starts(level.edges, definition);
    levels_.resize(index);
    levels_.push_back(level);
    cursor_.setPosition(level.table->cellAt(0, 0).firstPosition());
}

void TableBuilder::NextCell(Level& level) {
    level.cellEnded = false;
    ++level.cell;
    const auto cell = static_cast<std::size_t>(level.cell);
    level.column = cell + 1 < level.starts.size() ? level.starts[cell] : level.column + 1;
    if (level.column >= level.table->columns()) {
        if (level.merged) {
            // Qt cannot add columns to a table with merged cells: the text
            // of cells past the last column goes into the last cell.
            level.column = level.table->columns() - 1;
            cursor_.setPosition(level.table->cellAt(level.row, level.column).lastPosition());
            return;
        }
        AddColumns(*level.table, level.column - level.table->columns() + 1);
    }
    cursor_.setPosition(level.table->cellAt(level.row, level.column).firstPosition());
}

void TableBuilder::LeaveTable(const Level& level) { cursor_.setPosition(level.table->lastPosition() + 1); }

int TableBuilder::CellLength(const Level& level) const {
    return cursor_.position() - level.table->cellAt(level.row, level.column).firstPosition();
}

bool TableBuilder::ContinueLongCell(const std::vector<RowDef>& definitions) {
    if (levels_.empty()) return false;
    const Level& level = levels_.back();
    if (!level.rowOpen || level.cellEnded || CellLength(level) < kLongestCell) return false;
    ContinueCell(levels_.size() - 1, definitions);
    return true;
}

void TableBuilder::ContinueCell(std::size_t index, const std::vector<RowDef>& definitions) {
    Level& level = levels_[index];
    const Level above = level;
    if (const RowDef* definition = DefinitionFor(index + 1, definitions)) FormatRow(level, *definition, true);
    else OpenSeam(*level.table, level.row, false);
    LeaveTable(level);
    OpenNextTable(index, definitions, true);
    Level& below = levels_.back();
    below.continuesAbove = true;
    below.cell = above.cell;
    below.column = above.column;
    if (below.column >= below.table->columns()) AddColumns(*below.table, below.column - below.table->columns() + 1);
    cursor_.setPosition(below.table->cellAt(0, below.column).firstPosition());
}

void TableBuilder::OpenNextTable(std::size_t index, const std::vector<RowDef>& definitions, bool joinsAbove) {
    QTextTable* above = joinsAbove && index < levels_.size() ? levels_[index].table : nullptr;
    levels_.resize(index);
    if (index > 0) {
        // A table in a cell makes that cell long too: past kLongestTableCell
        // the cell goes on below first, and the table opens there.
        const Level& outer = levels_.back();
        if (outer.rowOpen && !outer.cellEnded && CellLength(outer) >= kLongestTableCell) {
            ContinueCell(index - 1, definitions);
            joinsAbove = true;  // the empty first block of the new cell takes no room
        }
    }
    OpenRow(index, DefinitionFor(index + 1, definitions), joinsAbove);
    levels_.back().above = above;
}

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
        lowerFormat.setTopBorder(0);
        lowerFormat.setTopBorderStyle(QTextFrameFormat::BorderStyle_None);
        lower.setFormat(lowerFormat);
    }
}

void TableBuilder::OpenSeam(QTextTable& table, int row, bool top) {
    for (int column = 0; column < table.columns(); ++column) {
        QTextTableCell cell = table.cellAt(row, column);
        if (cell.column() != column) continue;  // a merged cell, done at its first column
        QTextTableCellFormat format = cell.format().toTableCellFormat();
        if (top) {
            format.setTopBorder(0);
            format.setTopBorderStyle(QTextFrameFormat::BorderStyle_None);
        } else {
            format.setBottomBorder(0);
            format.setBottomBorderStyle(QTextFrameFormat::BorderStyle_None);
        }
        cell.setFormat(format);
    }
}

void TableBuilder::EndCell(int depth, const std::vector<RowDef>& definitions) {
    depth = std::clamp(depth, 1, kMaxDepth);
    Enter(depth, definitions);
    levels_[static_cast<std::size_t>(depth - 1)].cellEnded = true;
}

void TableBuilder::EndRow(int depth, const RowDef& definition) {
    const auto index = static_cast<std::size_t>(std::clamp(depth, 1, kMaxDepth) - 1);
    if (index >= levels_.size() || !levels_[index].rowOpen) return;  // a row with no cell: nothing to end
    while (levels_.size() > index + 1) {
        LeaveTable(levels_.back());
        levels_.pop_back();
    }
    Level& level = levels_[index];
    FormatRow(level, definition);
    level.rowOpen = false;
    level.cellEnded = false;
    LeaveTable(level);
}

// Qt's own column insertion copies the column widths from the list it is
// growing, which reads freed memory: the widths are taken off meanwhile.
void TableBuilder::AddColumns(QTextTable& table, int count) {
    QTextTableFormat format = table.format();
    QList<QTextLength> widths = format.columnWidthConstraints();
    if (!widths.isEmpty()) {
        format.clearColumnWidthConstraints();
        table.setFormat(format);
    }
    table.appendColumns(count);
    if (!widths.isEmpty()) {
        while (widths.size() < table.columns()) widths.append(QTextLength());
        format = table.format();
        format.setColumnWidthConstraints(widths);
        table.setFormat(format);
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
    if (const QColor* c = tables_.ColorFor(cell.shading)) {
        format.setBackground(*c);
    } else if (cell.shadingPercent > 0) {
        const int grey = 255 - 255 * std::min(cell.shadingPercent, 10000) / 10000;
        format.setBackground(QColor(grey, grey, grey));
    }
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
