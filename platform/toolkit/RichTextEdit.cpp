#include "detail/RichTextEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "rtf/DoubleUnderline.h"

namespace orvane::toolkit::detail {

namespace {

bool Doubled(const QTextCharFormat& format) { return format.boolProperty(rtf::kDoubleUnderlineProperty); }

}  // namespace

const std::vector<int>& RichTextEdit::MarkedBlocks() {
    QTextDocument* doc = document();
    if (doc != scanned_) {
        disconnect(watch_);
        // A document read in steps grows at its end: only what changed is
        // looked at again, from its first block on.
        watch_ = connect(doc, &QTextDocument::contentsChange, this, [this](int position, int removed, int) {
            const int block = removed > 0 ? 0 : document()->findBlock(position).blockNumber();
            staleFrom_ = std::max(0, std::min(staleFrom_, block));
        });
        scanned_ = doc;
        staleFrom_ = 0;
    }
    if (staleFrom_ != kNoneStale) {
        marked_.erase(std::lower_bound(marked_.begin(), marked_.end(), staleFrom_), marked_.end());
        for (QTextBlock block = doc->findBlockByNumber(staleFrom_); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                if (Doubled(it.fragment().charFormat())) {
                    marked_.push_back(block.blockNumber());
                    break;
                }
            }
        }
        staleFrom_ = kNoneStale;
    }
    return marked_;
}

void RichTextEdit::paintEvent(QPaintEvent* event) {
    QTextEdit::paintEvent(event);
    const std::vector<int>& marked = MarkedBlocks();
    if (marked.empty()) return;
    QPainter painter(viewport());
    const QPointF scroll(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    for (const int number : marked) {
        const QTextBlock block = document()->findBlockByNumber(number);
        // A block not laid out yet is not on screen; asking where it lies
        // would lay out the document up to it.
        if (!block.isValid() || !block.isVisible() || !block.layout() || block.layout()->lineCount() == 0) continue;
        const QRectF shown = layout->blockBoundingRect(block).translated(scroll);
        if (!shown.intersects(QRectF(event->rect()))) continue;
        DrawSecondLines(painter, block, shown.topLeft());
    }
}

void RichTextEdit::DrawSecondLines(QPainter& painter, const QTextBlock& block, QPointF origin) const {
    const QTextLayout& text = *block.layout();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (!Doubled(format)) continue;
        const QFontMetricsF metrics(format.font().resolve(document()->defaultFont()), viewport());
        const qreal thickness = std::max<qreal>(1, std::round(metrics.lineWidth()));
        const QColor colour = format.underlineColor().isValid()          ? format.underlineColor()
                              : format.foreground().style() != Qt::NoBrush ? format.foreground().color()
                                                                           : palette().color(QPalette::Text);
        const int start = fragment.position() - block.position();
        const int end = start + fragment.length();
        for (int i = 0; i < text.lineCount(); ++i) {
            const QTextLine line = text.lineAt(i);
            const int from = std::max(start, line.textStart());
            const int to = std::min(end, line.textStart() + line.textLength());
            if (from >= to) continue;
            const qreal x1 = line.cursorToX(from), x2 = line.cursorToX(to);
            // Qt's line lies about one thickness under the underline position;
            // one thickness of space, then the second line.
            const qreal y = std::round(origin.y() + line.y() + line.ascent() + metrics.underlinePos()) + 3 * thickness;
            painter.fillRect(QRectF(origin.x() + std::min(x1, x2), y, std::abs(x2 - x1), thickness), colour);
        }
    }
}

}  // namespace orvane::toolkit::detail
