#pragma once

#include <QTextCursor>
#include <QTextTable>

#include <array>
#include <vector>

#include "RtfState.h"

namespace orvane::rtf {

// Puts four border sides on a cell: widths in pixels (a double line at
// least three times its line's width when widenDoubled, so that both of its
// lines show), line styles and colours from the document's colour table.
void ApplyBorderSides(QTextTableCellFormat& format, const std::array<BorderSide, 4>& sides,
                      const DocumentTables& tables, bool widenDoubled);

// Builds the tables of a document as its rows arrive: rows are opened when
// their first content comes, cells advance on \cell, and a row takes its
// widths, borders, shading and merges from its definition when it ends.
// Consecutive rows with the same cell edges share one QTextTable; a row in
// a cell of another row (\itap2 and deeper) becomes a table in that cell.
//
// Qt's text layout walks a frame's child frames one by one and rebuilds a
// table's grid after every change, so many tables, or a table of thousands
// of rows, take time quadratic in their number. Long tables are therefore
// built as tables of kRowsPerTable rows that join without a gap (the line
// between two of them drawn once), and the outermost tables are kept up to
// kTablesPerFrame to an invisible frame.
// For the same reason a cell that grows past kLongestCell characters (or
// kLongestTableCell, when the next table in it opens) goes on, in the same
// column, in a row of a new table that joins the one above without a gap or
// a border between them.
class TableBuilder {
public:
    static constexpr int kMaxDepth = 16;  // deeper rows are laid into the deepest table
    static constexpr int kRowsPerTable = 32;
    static constexpr int kTablesPerFrame = 16;
    static constexpr int kLongestCell = 16000;  // characters
    // A cell with tables in it is laid out again for every level of them: it
    // goes on below sooner.
    static constexpr int kLongestTableCell = 4000;

    TableBuilder(QTextCursor& cursor, const DocumentTables& tables) : cursor_(cursor), tables_(tables) {}

    // Puts the cursor into a cell of an open row at depth (1 the outermost
    // table), opening rows and tables as needed, or outside every table at
    // depth 0. definitions[d] is the row definition last read for depth d.
    // Returns whether the cursor moved to a new place.
    bool Enter(int depth, const std::vector<RowDef>& definitions);
    // Where a paragraph is about to begin in a cell of the innermost open
    // row: when that cell is past kLongestCell, the row goes on in a new
    // table and the cursor stands in the same cell there. Returns whether it did.
    bool ContinueLongCell(const std::vector<RowDef>& definitions);
    // Ends the cell at depth; the next content goes into the next cell.
    void EndCell(int depth, const std::vector<RowDef>& definitions);
    // Ends the row at depth and gives it its definition; the cursor stands
    // after the table.
    void EndRow(int depth, const RowDef& definition);
    // The empty block that follows the frame of tables at the end takes no room.
    void Finish();
    // Makes room at the cursor for a table outside every table that the
    // caller inserts; returns the frame of tables it begun for it, if it did.
    QTextFrame* ReserveOuterTable();
    // Puts the cursor after the frame of tables it is in; the next table begins another.
    void LeaveOuterFrame();
    // The block at the cursor takes no room.
    static void Collapse(QTextCursor& at);

private:
    struct Level {
        QTextTable* table = nullptr;
        int row = 0;
        int column = 0;
        int cell = 0;                     // index of the cell in its row
        std::vector<int> starts;          // first column of each cell of the row, and the end
        bool rowOpen = false;
        bool cellEnded = false;           // \cell read; the next content moves on
        bool merged = false;              // cells were merged: the columns stay as they are
        std::vector<int> edges;           // \cellx of the table's rows
        std::vector<int> mergeStartRows;  // per column: first row of a vertical merge, -1 none
        bool continuesAbove = false;      // the first row goes on with the last of the table above
        QTextTable* above = nullptr;      // the table this one goes on from, if it is a part of one
    };

    void OpenRow(std::size_t index, const RowDef* definition, bool joinsAbove);
    // Opens a table for the row at level index below the one it had (levels
    // from index on are left); a long cell it would open in goes on first.
    void OpenNextTable(std::size_t index, const std::vector<RowDef>& definitions, bool joinsAbove);
    // The cell of level index, the innermost, goes on in the same column of
    // a row of a new table below, where the cursor then stands.
    void ContinueCell(std::size_t index, const std::vector<RowDef>& definitions);
    int CellLength(const Level& level) const;  // characters from the cell's start to the cursor
    void MakeRoomForTable();
    void CollapseBlock();
    void NextCell(Level& level);
    void LeaveTable(const Level& level);
    QTextTableFormat TableFormat(const RowDef* definition) const;
    void FormatRow(Level& level, const RowDef& definition, bool continuesBelow = false);
    // Takes the border off one side of every cell of a row.
    static void OpenSeam(QTextTable& table, int row, bool top);
    static void JoinSeam(QTextTable& above, QTextTable& below);
    void Merge(Level& level, int row, int column, int rows, int columns);
    static void AddColumns(QTextTable& table, int count);
    QTextTableCellFormat CellFormat(const CellDef& cell) const;
    static std::vector<int> Edges(const RowDef& definition);
    // Where the cells of a row fall in the columns of its table: a row whose
    // cell edges are among the table's has cells that span columns.
    static std::vector<int> Starts(const std::vector<int>& tableEdges, const RowDef* definition);

    QTextCursor& cursor_;
    const DocumentTables& tables_;
    std::vector<Level> levels_;  // levels_[d - 1] is the table at depth d
    // The cell formats of the row last formatted: rows of a table mostly repeat them.
    std::vector<CellDef> formattedCells_;
    int formattedGap_ = -1;
    std::vector<QTextTableCellFormat> cellFormats_;
    QTextFrame* group_ = nullptr;  // the frame that holds the outermost tables
    int groupTables_ = 0;
    // The first frames hold fewer tables: a view lays out a frame whole
    // before it shows the first screen of the document.
    int groupLimit_ = 0;  // tables the frame of tables holds; 0 before the first
};

}  // namespace orvane::rtf
