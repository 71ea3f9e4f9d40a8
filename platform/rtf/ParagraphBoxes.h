#pragma once

#include <QTextCursor>
#include <QTextTable>

#include "RtfState.h"

namespace orvane::rtf {

class TableBuilder;

// Qt's paragraphs have no borders. Consecutive paragraphs outside tables
// with the same borders go into one box, as word processors draw them: a
// table of one cell whose sides are the borders, its padding the space
// between text and lines. Boxes are marked with kParagraphBoxProperty.
inline constexpr int kParagraphBoxProperty = QTextFormat::UserProperty + 0x4258;

bool IsParagraphBox(const QTextTable& table);

class ParagraphBoxes {
public:
    // Qt lays out each table on its own, so thousands of them take seconds;
    // a document's further bordered paragraphs show without their box.
    static constexpr int kMostBoxes = 200;

    // Boxes are kept to tableBuilder's frames of outermost tables, so that
    // many of them lay out as fast as many tables.
    ParagraphBoxes(QTextCursor& cursor, const DocumentTables& tables, TableBuilder& tableBuilder)
        : cursor_(cursor), tables_(tables), tableBuilder_(tableBuilder) {}

    // Puts the cursor where a paragraph with these borders starts: in the
    // box of the paragraphs before it if they have the same, in a new box,
    // or after the box. blankBlock: the cursor stands in an empty block no
    // paragraph has been written to. Returns whether the cursor moved to a
    // new, empty block.
    bool Place(const ParaBorders& borders, bool blankBlock);
    // Leaves the open box, if any, for the empty block after it; returns whether it did.
    bool Leave();
    bool IsOpen() const { return box_ != nullptr; }
    // The block after a box that ends the document takes no room.
    void Finish();

private:
    QTextTableCellFormat SidesFormat(const ParaBorders& borders) const;

    QTextCursor& cursor_;
    const DocumentTables& tables_;
    TableBuilder& tableBuilder_;
    QTextTable* box_ = nullptr;
    QTextTable* lastBox_ = nullptr;
    ParaBorders borders_;
    int count_ = 0;
};

}  // namespace orvane::rtf
