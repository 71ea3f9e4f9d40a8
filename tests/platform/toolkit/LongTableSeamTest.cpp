// A long table in a rich text box: the reader builds it in parts (see
// rtf/TableBuilder.h) while the box reads the file between events, and the
// parts follow each other on the page with no blank line where they meet,
// inside one frame of parts and from one frame to the next.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextTable>
#include <fstream>
#include <functional>

#include "SampleForm.h"
#include "rtf/TableBuilder.h"

using namespace orvane;
using namespace orvane::toolkit;

namespace {

class LongTableSeamTest : public SampleFormTest {
protected:
    // Loads a table of that many rows, each row given the words, into the
    // box and lets the box read it to the end.
    QTextDocument& LoadRows(int rows, const std::string& rowWords) {
        std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\fs20 before\\par";
        for (int row = 0; row < rows; ++row)
            rtf += "\\trowd" + rowWords + "\\cellx1500" + rowWords + "\\cellx4000\\pard\\intbl r" + std::to_string(row) +
                   "\\cell v\\cell\\row";
        rtf += "\\pard after\\par}";
        const std::string path = dir_.filePath("long.rtf").toStdString();
        std::ofstream(path, std::ios::binary) << rtf;
        form.rtfText.LoadFile(path, rtfRTF);
        for (int i = 0; i < 1000000 && form.rtfText.Loading(); ++i) QCoreApplication::processEvents();
        EXPECT_FALSE(form.rtfText.Loading());
        return *static_cast<QTextEdit*>(form.rtfText.Widget())->document();
    }

    static std::vector<QTextTable*> Tables(const QTextDocument& doc) {
        std::vector<QTextTable*> tables;
        std::function<void(QTextFrame*)> walk = [&](QTextFrame* frame) {
            for (QTextFrame* child : frame->childFrames()) {
                if (auto* table = qobject_cast<QTextTable*>(child)) tables.push_back(table);
                walk(child);
            }
        };
        walk(doc.rootFrame());
        return tables;
    }

    QTemporaryDir dir_;
};

TEST_F(LongTableSeamTest, ThePartsOfALongTableFollowEachOtherWithoutABlankLine) {
    for (const std::string& borders : {std::string(), std::string("\\clbrdrt\\brdrs\\brdrw15\\clbrdrb\\brdrs\\brdrw15")}) {
        SCOPED_TRACE(borders.empty() ? "no borders" : borders);
        // Enough rows for parts in several frames of parts.
        const int rows = 40 * rtf::TableBuilder::kRowsPerTable + 5;
        QTextDocument& doc = LoadRows(rows, borders);
        QAbstractTextDocumentLayout* layout = doc.documentLayout();
        const std::vector<QTextTable*> parts = Tables(doc);
        ASSERT_GT(parts.size(), static_cast<std::size_t>(2 * rtf::TableBuilder::kTablesPerFrame));
        // What a blank line would take: the height of the first paragraph's line.
        const double line = layout->blockBoundingRect(doc.begin()).height();
        ASSERT_GT(line, 8.0);
        int row = parts[0]->rows();
        for (std::size_t i = 1; i < parts.size(); ++i) {
            const double gap = layout->frameBoundingRect(parts[i]).top() - layout->frameBoundingRect(parts[i - 1]).bottom();
            EXPECT_LT(gap, line / 3) << "where row " << row << " begins a part";
            EXPECT_GT(gap, -line / 3) << "where row " << row << " begins a part";  // the line between them is shared
            row += parts[i]->rows();
        }
        EXPECT_EQ(row, rows);
        EXPECT_EQ(doc.lastBlock().text().isEmpty() ? doc.lastBlock().previous().text() : doc.lastBlock().text(), "after");
    }
}

}  // namespace
