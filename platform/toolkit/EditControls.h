#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Controls.h"

namespace orvane::toolkit {

// Several lines of plain text. Enter starts a new line; Tab moves on to
// the next control, as in every other field.
class TextArea : public Control {
public:
    TextArea(Form& form, std::string name) : Control(form, std::move(name), ControlKind::TextArea) {}
    void Create(Container& container, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                std::int32_t tabIndex);

    using Control::Text;
    void Text(const std::string& NewText) override;
    std::string Text() const override;
};

// One row of an entry grid: its cells, the first the kind, and its mark.
struct GridRow {
    std::vector<std::string> cells;
    bool preferred = false;
    bool operator==(const GridRow&) const = default;
};

// Rows of values the user adds, edits and removes: under column headers,
// a first column whose value is picked from a list of kinds (or typed),
// text columns, and a last "Preferred" column of check marks, of which at
// most one is set. Tab leaves the grid; the arrow keys move among its
// cells, and typing or F2 edits one.
class EntryGrid : public Control {
public:
    EntryGrid(Form& form, std::string name) : Control(form, std::move(name), ControlKind::EntryGrid) {}
    void Create(Container& container, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                std::int32_t tabIndex);

    // The headers of the kind and text columns (the "Preferred" column
    // follows), their widths in twips, and the kinds offered.
    void Columns(const std::vector<std::string>& headers, const std::vector<std::int32_t>& widths,
                 const std::vector<std::string>& kinds);

    void Rows(const std::vector<GridRow>& rows);
    std::vector<GridRow> Rows() const;
    std::int32_t RowCount() const;
    // The row of the current cell; -1 when none.
    std::int32_t CurrentRow() const;
    // Makes the row's first text cell the current one, as a click on it does.
    void CurrentRow(std::int32_t row);

    // Appends an empty row (kind: the first of the kinds) and makes its
    // first text cell the current one.
    void AddRow();
    // Removes the current row; nothing when there is none.
    void RemoveRow();

    // As the user's edit of one cell (column 0 the kind) or mark.
    void Cell(std::int32_t row, std::int32_t column, const std::string& text);
    std::string Cell(std::int32_t row, std::int32_t column) const;
    void Preferred(std::int32_t row, bool NewPreferred);
};

}  // namespace orvane::toolkit
