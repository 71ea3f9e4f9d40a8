#include "RtfTestSupport.h"

#include "rtf/ParagraphBoxes.h"

namespace orvane::rtf::test {
namespace {

class RtfBorderTest : public RtfDocTest {
protected:
    // The boxes drawn around paragraphs, in order.
    std::vector<QTextTable*> Boxes() const {
        std::vector<QTextTable*> boxes;
        for (QTextTable* table : Tables())
            if (IsParagraphBox(*table)) boxes.push_back(table);
        return boxes;
    }
    static QTextTableCellFormat Sides(QTextTable* box) { return box->cellAt(0, 0).format().toTableCellFormat(); }
};

TEST_F(RtfBorderTest, ConsecutiveParagraphsWithOneBoxShareItAndOthersStayOutside) {
    Read(R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}}{\colortbl;\red0\green0\blue0;\red192\green0\blue0;}
\pard\plain\f0\fs20 Before\par
\pard\plain\box\brdrs\brdrw10\brdrcf2\brsp80\f0\fs20 One\par
Two\par
\pard\plain\f0\fs20 After\par
})");
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->rows(), 1);
    EXPECT_EQ(boxes[0]->columns(), 1);
    EXPECT_EQ(CellText(boxes[0], 0, 0), QStringLiteral("One|Two"));
    const QTextTableCellFormat sides = Sides(boxes[0]);
    for (double width : {sides.topBorder(), sides.leftBorder(), sides.bottomBorder(), sides.rightBorder()}) EXPECT_GE(width, 1.0);
    EXPECT_EQ(sides.topBorderStyle(), QTextFrameFormat::BorderStyle_Solid);
    EXPECT_EQ(sides.rightBorderStyle(), QTextFrameFormat::BorderStyle_Solid);
    EXPECT_EQ(sides.leftBorderBrush().color(), QColor(192, 0, 0));
    // \brsp: the text keeps its distance from the lines.
    EXPECT_NEAR(sides.topPadding(), 80 / 15.0, 0.01);
    EXPECT_TRUE(Text().startsWith(QStringLiteral("Before")));
    EXPECT_EQ(LastParagraph(), QStringLiteral("After"));
}

TEST_F(RtfBorderTest, SingleSidesAndKindsOfLine) {
    Read(R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}}{\colortbl;\red31\green78\blue121;}
\pard\plain\brdrb\brdrdb\brdrw15\brdrcf1\brsp20\f0\fs28 Heading\par
\pard\plain\brdrt\brdrdot\brdrw10\brdrb\brdrdash\brdrw10\f0\fs20 Between lines\par
\pard\plain\brdrt\brdrs\brdrw10\f0\fs20 A line above\par
\pard\plain\f0\fs20 Plain\par
})");
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(CellText(boxes[0], 0, 0), QStringLiteral("Heading"));
    const QTextTableCellFormat heading = Sides(boxes[0]);
    EXPECT_EQ(heading.bottomBorderStyle(), QTextFrameFormat::BorderStyle_Double);
    EXPECT_GE(heading.bottomBorder(), 3.0);  // room for two lines and the gap
    EXPECT_EQ(heading.bottomBorderBrush().color(), QColor(31, 78, 121));
    EXPECT_EQ(heading.topBorderStyle(), QTextFrameFormat::BorderStyle_None);
    EXPECT_EQ(heading.topBorder(), 0.0);
    EXPECT_EQ(heading.leftBorder(), 0.0);
    EXPECT_EQ(heading.rightBorder(), 0.0);

    const QTextTableCellFormat between = Sides(boxes[1]);
    EXPECT_EQ(between.topBorderStyle(), QTextFrameFormat::BorderStyle_Dotted);
    EXPECT_EQ(between.bottomBorderStyle(), QTextFrameFormat::BorderStyle_Dashed);
    EXPECT_EQ(CellText(boxes[2], 0, 0), QStringLiteral("A line above"));
    EXPECT_EQ(Sides(boxes[2]).bottomBorder(), 0.0);
    EXPECT_EQ(LastParagraph(), QStringLiteral("Plain"));
}

// A paragraph with a bottom border and no text is how word processors
// write a horizontal line.
TEST_F(RtfBorderTest, AnEmptyParagraphWithABorderIsALine) {
    Read(R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}}
\pard\plain\f0\fs20 Above\par
\pard\plain\brdrb\brdrs\brdrw15\brsp20\f0\fs6\par
\pard\plain\f0\fs20 Below\par
})");
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(CellText(boxes[0], 0, 0), QString());
    EXPECT_GE(Sides(boxes[0]).bottomBorder(), 1.0);
    EXPECT_TRUE(Text().startsWith(QStringLiteral("Above")));
    EXPECT_EQ(LastParagraph(), QStringLiteral("Below"));
}

TEST_F(RtfBorderTest, BordersOfParagraphsInTableCellsLeaveTheTableAsItIs) {
    Read(R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}}
\trowd\cellx2000\cellx4000\pard\intbl\brdrb\brdrs\brdrw10 Name\cell Price\cell\row
\pard\box\brdrs Boxed after the table\par
})");
    const auto tables = Tables();
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_FALSE(IsParagraphBox(*tables[0]));
    EXPECT_EQ(CellText(tables[0], 0, 0), QStringLiteral("Name"));
    EXPECT_EQ(CellText(tables[0], 0, 1), QStringLiteral("Price"));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(CellText(Boxes()[0], 0, 0), QStringLiteral("Boxed after the table"));
}

TEST_F(RtfBorderTest, WriterBordersAsItWritesThem) {
    ReadDocument("writer-contents.rtf");
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(CellText(boxes[0], 0, 0), QStringLiteral("Contents"));
    EXPECT_EQ(Sides(boxes[0]).bottomBorderStyle(), QTextFrameFormat::BorderStyle_Double);
    EXPECT_EQ(Sides(boxes[0]).topBorder(), 0.0);
    EXPECT_EQ(CellText(boxes[1], 0, 0),
              QStringLiteral("A boxed note, first paragraph.|Second paragraph in the same box."));
    EXPECT_GE(Sides(boxes[1]).leftBorder(), 1.0);
    EXPECT_EQ(CellText(boxes[2], 0, 0), QStringLiteral("Between dotted lines."));
    EXPECT_EQ(Sides(boxes[2]).topBorderStyle(), QTextFrameFormat::BorderStyle_Dotted);
    EXPECT_EQ(Sides(boxes[2]).leftBorder(), 0.0);
}

// Each box is a table Qt lays out on its own: past a number of them the
// further bordered paragraphs show without their box, with all their text.
TEST_F(RtfBorderTest, ThousandsOfBoxesKeepTheirTextAndOnlyTheFirstAreDrawn) {
    std::string rtf = R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}})";
    constexpr int kGroups = ParagraphBoxes::kMostBoxes + 50;
    for (int i = 0; i < kGroups; ++i)
        rtf += "\\pard\\box\\brdrs Boxed " + std::to_string(i) + "\\par\\pard Plain " + std::to_string(i) + "\\par\n";
    Read(rtf + "}");
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), static_cast<std::size_t>(ParagraphBoxes::kMostBoxes));
    EXPECT_EQ(CellText(boxes.back(), 0, 0), QStringLiteral("Boxed %1").arg(ParagraphBoxes::kMostBoxes - 1));
    EXPECT_EQ(CellText(boxes.front(), 0, 0), QStringLiteral("Boxed 0"));
    // The paragraphs past the last box follow each other as plain paragraphs.
    for (int i : {static_cast<int>(ParagraphBoxes::kMostBoxes), kGroups - 1})
        EXPECT_TRUE(Text().contains(QStringLiteral("Boxed %1\u2029Plain %1").arg(i))) << i;
    EXPECT_EQ(LastParagraph(), QStringLiteral("Plain %1").arg(kGroups - 1));
}

}  // namespace
}  // namespace orvane::rtf::test
