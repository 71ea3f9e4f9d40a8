#pragma once

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <string>
#include <string_view>
#include <vector>

#include "rtf/RtfReader.h"

namespace orvane::rtf::test {

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

    std::vector<QTextBlock> Blocks() const {
        std::vector<QTextBlock> blocks;
        for (QTextBlock b = doc.begin(); b != doc.end(); b = b.next()) blocks.push_back(b);
        return blocks;
    }

    QTextDocument doc;
};

}  // namespace orvane::rtf::test
