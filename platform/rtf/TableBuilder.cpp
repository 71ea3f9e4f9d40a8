#include "TableBuilder.h"

#include <QTextLength>

#include <algorithm>
#include <utility>

namespace orvane::rtf {
namespace {

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

}  // namespace orvane::rtf
