#include "ParagraphBoxes.h"

#include <QTextFrame>
#include <QTextLength>

#include <algorithm>

#include "TableBuilder.h"
#include "Units.h"

namespace orvane::rtf {
namespace {

constexpr double kLeastPadding = 2.0;  // pixels: text never touches a line

}  // namespace

bool IsParagraphBox(const QTextTable& table) { return table.format().boolProperty(kParagraphBoxProperty); }

QTextTableCellFormat ParagraphBoxes::SidesFormat(const ParaBorders& borders) const {
    QTextTableCellFormat format;
    ApplyBorderSides(format, borders.sides, tables_, true);
    const auto lined = [&](Side s) { return borders.sides[static_cast<std::size_t>(s)].width > 0; };
    // Sides without a line keep the text where it would be without the box.
    const double space = std::max(kLeastPadding, borders.space / kTwipsPerPixel);
    format.setTopPadding(lined(Side::Top) ? space : 0);
    format.setBottomPadding(lined(Side::Bottom) ? space : 0);
    format.setLeftPadding(lined(Side::Left) ? space : 0);
    format.setRightPadding(lined(Side::Right) ? space : 0);
    return format;
}

bool ParagraphBoxes::Leave() {
    if (!box_) return false;
    // The cell's format is the character format of its first block, which
    // an empty first paragraph sets: the sides go in when the box is done.
    QTextTableCell cell = box_->cellAt(0, 0);
    QTextCharFormat format = cell.format();
    format.merge(SidesFormat(borders_));
    cell.setFormat(format);
    cursor_.setPosition(box_->lastPosition() + 1);
    lastBox_ = box_;
    box_ = nullptr;
    if (count_ >= kMostBoxes) {
        // What follows the last box is laid out outside its frame, where the
        // view lays it out in steps.
        TableBuilder::Collapse(cursor_);
        tableBuilder_.LeaveOuterFrame();
        lastBox_ = nullptr;
    }
    return true;
}

bool ParagraphBoxes::Place(const ParaBorders& borders, bool blankBlock) {
    if (box_ && borders == borders_) return false;
    const bool left = Leave();
    if (!borders.Any() || count_ >= kMostBoxes) return left;
    ++count_;
    // A new frame of tables, or the block a box was left for, holds
    // nothing: it takes no room before the box.
    QTextFrame* newFrame = tableBuilder_.ReserveOuterTable();
    QTextTableFormat format;
    format.setProperty(kParagraphBoxProperty, true);
    format.setBorder(0);
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(0);
    format.setMargin(0);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    box_ = cursor_.insertTable(1, 1, format);
    QTextCursor before(cursor_);
    before.setPosition(box_->firstPosition() - 1);
    if (newFrame || left || blankBlock) TableBuilder::Collapse(before);
    // So does the blank block a new frame was put after (the document's first).
    if (newFrame && blankBlock && newFrame->firstPosition() > 0) {
        before.setPosition(newFrame->firstPosition() - 1);
        if (before.block().length() == 1) TableBuilder::Collapse(before);
    }
    borders_ = borders;
    cursor_.setPosition(box_->cellAt(0, 0).firstPosition());
    return true;
}

void ParagraphBoxes::Finish() {
    Leave();
    if (!lastBox_) return;
    QTextCursor after(cursor_);
    after.setPosition(lastBox_->lastPosition() + 1);
    if (after.block().length() == 1 && after.currentFrame() && after.position() == after.currentFrame()->lastPosition())
        TableBuilder::Collapse(after);
}

}  // namespace orvane::rtf
