#pragma once

#include <QPointer>
#include <QTextEdit>
#include <limits>
#include <vector>

namespace orvane::toolkit::detail {

// The rich-text box's page. Qt underlines text with one line at most; this
// adds the second line under text the RTF reader marks as double underlined.
class RichTextEdit : public QTextEdit {
public:
    explicit RichTextEdit(QWidget* parent) : QTextEdit(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Numbers of the blocks holding double-underlined text, found once per
    // document and change so a paint looks only at those.
    const std::vector<int>& MarkedBlocks();
    void DrawSecondLines(QPainter& painter, const QTextBlock& block, QPointF origin) const;

    QPointer<QTextDocument> scanned_;
    QMetaObject::Connection watch_;
    std::vector<int> marked_;
    static constexpr int kNoneStale = std::numeric_limits<int>::max();
    int staleFrom_ = 0;  // first block that may have changed since the last look

};

}  // namespace orvane::toolkit::detail
