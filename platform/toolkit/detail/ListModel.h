#pragma once

// The model behind a list box; only the toolkit's own sources (and its
// tests) include this.

#include <QAbstractListModel>
#include <cstdint>
#include <string_view>

#include "ListEntries.h"

namespace orvane::toolkit::detail {

// A list box's entries as the view sees them. Texts stay UTF-8 in one
// buffer and become QString only for the rows the view paints or asks for.
// Appends go into the buffer at once and reach the view in one batch from
// the event loop (or when code needs the view to know them), so a million
// appends cost a million buffer appends and one row insertion.
class ListModel : public QAbstractListModel {
public:
    explicit ListModel(QObject* parent) : QAbstractListModel(parent) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    // The view asks for an index of every row when it lays out the list:
    // answered without the general checks' virtual calls.
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Type-ahead find ("entries starting with what was typed") compares the
    // UTF-8 texts in place instead of making a QString of every row; other
    // searches go the general way.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits,
                          Qt::MatchFlags flags) const override;

    void Append(std::string_view text);
    void Clear();
    // Tells the view about every entry appended since the last batch.
    void Flush();

    std::int32_t Count() const { return entries_.Count(); }
    std::string_view TextAt(std::int32_t index) const { return entries_.TextAt(index); }
    std::int32_t ItemDataAt(std::int32_t index) const { return entries_.ItemDataAt(index); }
    void SetItemData(std::int32_t index, std::int32_t value) { entries_.SetItemData(index, value); }

private:
    ListEntries entries_;
    int shown_ = 0;  // rows the view knows of
    bool flushQueued_ = false;
};

}  // namespace orvane::toolkit::detail
