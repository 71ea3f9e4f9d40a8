#pragma once

#include <gtest/gtest.h>

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Error.h"
#include "rtf/RtfReader.h"

namespace orvane::rtf::test {

inline bool Bold(const QTextCharFormat& f) { return f.fontWeight() == QFont::Bold; }

// The number of the error that action raises, 0 when it raises none.
inline int ErrorNumberOf(const std::function<void()>& action, std::string* description = nullptr) {
    try {
        action();
    } catch (const Error& e) {
        if (description) *description = e.Description();
        return e.Number();
    }
    return 0;
}

// A document read from RTF text, with ways to look at what came out.
class RtfDocTest : public ::testing::Test {
protected:
    void Read(std::string_view rtf) { ReadRtf(rtf, doc); }

    // The text as stored: no-break spaces kept, paragraphs ended by U+2029.
    QString Text() const { return doc.toRawText(); }

    // Format of the character at a position of the plain text.
    QTextCharFormat At(int position) const {
        QTextCursor c(const_cast<QTextDocument*>(&doc));
        c.setPosition(position + 1);
        return c.charFormat();
    }
    // Format of the first character of the first occurrence of needle.
    QTextCharFormat AtText(const QString& needle) const {
        int pos = static_cast<int>(Text().indexOf(needle));
        EXPECT_GE(pos, 0) << needle.toStdString() << " not in " << Text().toStdString();
        return At(pos < 0 ? 0 : pos);
    }
    // The characters whose format has a property, in order.
    template <typename Property>
    QString Where(Property property) const {
        QString chars;
        const QString text = Text();
        for (int i = 0; i < text.size(); ++i)
            if (std::invoke(property, At(i))) chars += text[i];
        return chars;
    }

    // A document under tests/platform/rtf/documents, read as the box reads files.
    void ReadDocument(const std::string& name) {
        LoadRtfFile(std::string(ORVANE_SOURCE_DIR) + "/tests/platform/rtf/documents/" + name, doc);
    }

    // Every table, nested ones after the table that holds them.
    std::vector<QTextTable*> Tables() const {
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

    // The text of a cell, its paragraphs joined by "|" (those of a table in it left out).
    static QString CellText(QTextTable* table, int row, int column) {
        QStringList paragraphs;
        const QTextTableCell cell = table->cellAt(row, column);
        for (QTextBlock b = table->document()->findBlock(cell.firstPosition());
             b.isValid() && b.position() <= cell.lastPosition(); b = b.next()) {
            if (QTextCursor(b).currentTable() == table) paragraphs << b.text();
        }
        return paragraphs.join(u'|');
    }

    // The text of the last paragraph that has any.
    QString LastParagraph() const {
        QTextBlock b = doc.lastBlock();
        while (b.isValid() && b.text().isEmpty()) b = b.previous();
        return b.text();
    }

    std::vector<QTextBlock> Blocks() const {
        std::vector<QTextBlock> blocks;
        for (QTextBlock b = doc.begin(); b != doc.end(); b = b.next()) blocks.push_back(b);
        return blocks;
    }

    QTextDocument doc;
};

}  // namespace orvane::rtf::test
