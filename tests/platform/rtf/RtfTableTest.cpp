// Tables as word processors write them: rows of cells with their widths,
// borders, shading and merges, nested tables, and long tables.
#include <QTextTable>

#include "RtfTestSupport.h"
#include "rtf/TableBuilder.h"

namespace orvane::rtf::test {
namespace {

using RtfTable = RtfDocTest;

std::vector<double> Widths(QTextTable* table) {
    std::vector<double> widths;
    for (const QTextLength& length : table->format().columnWidthConstraints()) widths.push_back(length.rawValue());
    return widths;
}

Qt::Alignment CellAlignment(QTextTable* table, int row, int column) {
    QTextCursor c = table->cellAt(row, column).firstCursorPosition();
    return c.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
}

TEST_F(RtfTable, CellsAreCellsOfTheirWidthsWithTheirOwnAlignment) {
    Read("{\\rtf1\\trowd\\cellx2000\\cellx4000\\pard\\intbl\\ql Name\\cell\\qr Price\\cell\\row\\pard After\\par}");
    auto tables = Tables();
    ASSERT_EQ(tables.size(), 1u);
    ASSERT_EQ(tables[0]->rows(), 1);
    ASSERT_EQ(tables[0]->columns(), 2);
    EXPECT_EQ(CellText(tables[0], 0, 0), "Name");
    EXPECT_EQ(CellText(tables[0], 0, 1), "Price");
    EXPECT_EQ(CellAlignment(tables[0], 0, 0), Qt::AlignLeft);
    EXPECT_EQ(CellAlignment(tables[0], 0, 1), Qt::AlignRight);
    EXPECT_EQ(Widths(tables[0]), (std::vector<double>{2000 / 15.0, 2000 / 15.0}));
    EXPECT_FALSE(Text().contains(u'\t'));
    EXPECT_EQ(LastParagraph(), "After");
}

TEST_F(RtfTable, BordersShadingMergesAndRowPlacementFromAWordDocument) {
    ReadDocument("word-tables.rtf");
    auto tables = Tables();
    ASSERT_EQ(tables.size(), 4u);  // the first, the formatted one, the outer and the nested table
    QTextTable* t = tables[1];
    ASSERT_EQ(t->rows(), 2);
    ASSERT_EQ(t->columns(), 4);
    EXPECT_EQ(t->format().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(Widths(t), (std::vector<double>{1908 / 15.0, 120, 120, 120}));  // \trleft-108 widens the first cell
    // A vertical merge spans two rows, a horizontal one two columns.
    EXPECT_EQ(CellText(t, 0, 0), "Fruit");
    EXPECT_EQ(t->cellAt(0, 0).rowSpan(), 2);
    EXPECT_EQ(CellText(t, 0, 2), "Both");
    EXPECT_EQ(t->cellAt(0, 2).columnSpan(), 2);
    // A cell with its own \par keeps both paragraphs in the cell.
    EXPECT_EQ(CellText(t, 0, 1), "Name|second line");
    EXPECT_EQ(CellText(t, 1, 1), "Apple");
    EXPECT_EQ(CellText(t, 1, 2), "1.20");
    EXPECT_EQ(CellAlignment(t, 1, 2), Qt::AlignRight);

    const QTextTableCellFormat shaded = t->cellAt(0, 1).format().toTableCellFormat();
    EXPECT_EQ(shaded.background().color(), QColor(255, 255, 0));
    EXPECT_DOUBLE_EQ(shaded.topBorder(), 1.0);
    EXPECT_EQ(shaded.topBorderStyle(), QTextFrameFormat::BorderStyle_Solid);
    EXPECT_DOUBLE_EQ(shaded.bottomBorder(), 2.0);
    EXPECT_EQ(shaded.bottomBorderStyle(), QTextFrameFormat::BorderStyle_Double);
    EXPECT_EQ(shaded.bottomBorderBrush().color(), QColor(0, 0, 255));
    EXPECT_DOUBLE_EQ(shaded.leftBorder(), 0.0);  // no \clbrdrl: no line

    // A table in a cell of another; its fallback for older readers is not shown.
    QTextTable* outer = tables[2];
    QTextTable* inner = tables[3];
    EXPECT_DOUBLE_EQ(outer->format().leftMargin(), 48.0);
    ASSERT_EQ(outer->columns(), 2);
    EXPECT_EQ(CellText(outer, 0, 0), "Outer one");
    EXPECT_TRUE(CellText(outer, 0, 1).endsWith("outer two end")) << CellText(outer, 0, 1).toStdString();
    EXPECT_EQ(inner->parentFrame(), outer);
    ASSERT_EQ(inner->columns(), 2);
    EXPECT_EQ(CellText(inner, 0, 0), "Inner A");
    EXPECT_EQ(CellText(inner, 0, 1), "Inner B");
    EXPECT_EQ(Widths(inner), (std::vector<double>{100, 100}));
    EXPECT_EQ(LastParagraph(), "Last");
    EXPECT_TRUE(Text().contains("Between"));
}

TEST_F(RtfTable, ATableFromLibreOffice) {
    ReadDocument("writer.rtf");
    auto tables = Tables();
    ASSERT_EQ(tables.size(), 1u);
    QTextTable* t = tables[0];
    ASSERT_EQ(t->rows(), 3);
    ASSERT_EQ(t->columns(), 3);
    EXPECT_EQ(Widths(t), (std::vector<double>{144, 96, 144}));
    EXPECT_EQ(t->cellAt(0, 0).rowSpan(), 2);
    EXPECT_EQ(CellText(t, 1, 1), "Apple|Green");
    EXPECT_EQ(CellText(t, 2, 0), "Total");
    EXPECT_EQ(t->cellAt(2, 0).columnSpan(), 2);
    EXPECT_EQ(CellAlignment(t, 0, 2), Qt::AlignRight);
    EXPECT_EQ(t->cellAt(0, 1).format().background().color(), QColor(255, 255, 0));
    EXPECT_DOUBLE_EQ(t->cellAt(1, 2).format().toTableCellFormat().leftBorder(), 1.0);
}

TEST_F(RtfTable, ALongTableKeepsEveryRowInOrderInPartsOfEqualColumns) {
    std::string rtf = "{\\rtf1 before\\par";
    for (int row = 0; row < 300; ++row) {
        rtf += "\\trowd\\cellx1000\\cellx3000\\pard\\intbl r" + std::to_string(row) + "\\cell v\\cell\\row";
    }
    Read(rtf + "\\pard after\\par}");
    int next = 0;
    for (QTextTable* t : Tables()) {
        EXPECT_EQ(Widths(t), (std::vector<double>{1000 / 15.0, 2000 / 15.0}));
        EXPECT_LE(t->rows(), TableBuilder::kRowsPerTable);
        for (int row = 0; row < t->rows(); ++row) EXPECT_EQ(CellText(t, row, 0), "r" + QString::number(next++));
    }
    EXPECT_EQ(next, 300);
    EXPECT_EQ(LastParagraph(), "after");
}

// Rows with a line above, or below, or both: where one part of a long table
// meets the next the line is drawn once, as wide as the wider of the two.
TEST_F(RtfTable, ThePartsOfALongTableMeetInOneLine) {
    const auto readRows = [this](const std::string& borders) {
        std::string rtf = "{\\rtf1 ";
        for (int row = 0; row < 40; ++row) {
            rtf += "\\trowd" + borders + "\\cellx1000" + borders + "\\cellx3000\\pard\\intbl r" + std::to_string(row) +
                   "\\cell v\\cell\\row";
        }
        Read(rtf + "\\pard after\\par}");
        const auto tables = Tables();
        EXPECT_EQ(tables.size(), 2u);
        return tables;
    };
    const auto top = [](QTextTable* t, int row, int column) {
        const QTextTableCellFormat f = t->cellAt(row, column).format().toTableCellFormat();
        return f.topBorderStyle() == QTextFrameFormat::BorderStyle_None ? 0.0 : f.topBorder();
    };
    const auto bottom = [](QTextTable* t, int row, int column) {
        const QTextTableCellFormat f = t->cellAt(row, column).format().toTableCellFormat();
        return f.bottomBorderStyle() == QTextFrameFormat::BorderStyle_None ? 0.0 : f.bottomBorder();
    };
    for (const std::string& borders : {std::string("\\clbrdrt\\brdrs\\brdrw30"),
                                       std::string("\\clbrdrt\\brdrs\\brdrw30\\clbrdrb\\brdrs\\brdrw15"),
                                       std::string("\\clbrdrt\\brdrs\\brdrw15\\clbrdrb\\brdrs\\brdrw30")}) {
        SCOPED_TRACE(borders);
        const auto tables = readRows(borders);
        ASSERT_EQ(tables.size(), 2u);
        QTextTable* above = tables[0];
        QTextTable* below = tables[1];
        const int last = above->rows() - 1;
        for (int column = 0; column < 2; ++column) {
            EXPECT_EQ(top(below, 0, column), 0.0);
            EXPECT_EQ(bottom(above, last, column), 2.0);  // 30 twips, the wider line
            EXPECT_EQ(top(below, 1, column), top(above, 1, column));  // other rows as they were
        }
    }
}

// A whole document inside one cell, as converters from web pages write it.
TEST_F(RtfTable, ACellAsLongAsADocumentGoesOnInRowsBelowWithoutASeam) {
    std::string rtf = "{\\rtf1\\trowd\\clbrdrt\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\cellx1500"
                      "\\clbrdrt\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\cellx9000\\pard\\intbl Label\\cell";
    const std::string words = " words to make a long paragraph of a long cell, and some more of them.";
    for (int i = 0; i < 1000; ++i) rtf += "\\pard\\intbl Paragraph " + std::to_string(i) + words + "\\par";
    Read(rtf + "\\pard\\intbl Last\\cell\\row\\pard after\\par}");

    const auto tables = Tables();
    ASSERT_GE(tables.size(), 4u);  // about 75,000 characters in parts of at most 16,000 and a paragraph
    QStringList cell;
    for (QTextTable* t : tables) {
        ASSERT_EQ(t->rows(), 1);
        EXPECT_EQ(Widths(t), (std::vector<double>{100, 500}));
        const QString text = CellText(t, 0, 1);
        EXPECT_LT(text.size(), TableBuilder::kLongestCell + 200);
        cell << text;
        const QTextTableCellFormat label = t->cellAt(0, 0).format().toTableCellFormat();
        const QTextTableCellFormat body = t->cellAt(0, 1).format().toTableCellFormat();
        // Borders on the outside of the whole row only.
        const bool first = t == tables.front(), last = t == tables.back();
        EXPECT_EQ(label.topBorder() > 0, first);
        EXPECT_EQ(body.topBorder() > 0, first);
        EXPECT_EQ(label.bottomBorder() > 0, last);
        EXPECT_EQ(body.bottomBorder() > 0, last);
        EXPECT_EQ(CellText(t, 0, 0), first ? "Label" : "");
    }
    // Every paragraph once, in order, and the last cell's end in the last part.
    const QStringList paragraphs = cell.join("|").split("|");
    ASSERT_EQ(paragraphs.size(), 1001);
    for (int i = 0; i < 1000; ++i) EXPECT_EQ(paragraphs[i], "Paragraph " + QString::number(i) + QString::fromStdString(words));
    EXPECT_EQ(paragraphs.back(), "Last");
    EXPECT_EQ(LastParagraph(), "after");

    // The long cell first: the cells after it follow it into its last part.
    rtf = "{\\rtf1\\trowd\\cellx6000\\cellx9000\\pard\\intbl ";
    for (int i = 0; i < 1000; ++i) rtf += "Paragraph " + std::to_string(i) + words + "\\par ";
    Read(rtf + "Last\\cell Right\\cell\\row}");
    ASSERT_GE(Tables().size(), 4u);
    EXPECT_EQ(CellText(Tables().back(), 0, 1), "Right");
    EXPECT_EQ(CellText(Tables().front(), 0, 1), "");
}

TEST_F(RtfTable, ACellHoldingTablesAsLongAsADocumentGoesOnBelowToo) {
    std::string rtf = "{\\rtf1\\trowd\\cellx9000\\pard\\intbl Outer start\\par";
    for (int i = 0; i < 1000; ++i) {
        rtf += "\\pard\\intbl\\itap2 Name " + std::to_string(i) +
               "\\nestcell Some words of a description\\nestcell 12.50\\nestcell"
               "{\\*\\nesttableprops\\trowd\\cellx2000\\cellx5000\\cellx8000\\nestrow}";
    }
    Read(rtf + "\\pard\\intbl\\itap1 End\\cell\\row\\pard After\\par}");

    std::vector<QTextTable*> outer, nested;
    for (QTextTable* t : Tables()) (qobject_cast<QTextTable*>(t->parentFrame()) ? nested : outer).push_back(t);
    ASSERT_GE(outer.size(), 10u);  // about 50,000 characters of nested rows
    for (QTextTable* t : outer) {
        ASSERT_EQ(t->rows(), 1);
        ASSERT_EQ(t->columns(), 1);
        const QTextTableCell cell = t->cellAt(0, 0);
        EXPECT_LT(cell.lastPosition() - cell.firstPosition(), TableBuilder::kLongestTableCell + 2000);
    }
    // Every nested row once, in order, each in a cell of the outer parts.
    int next = 0;
    for (QTextTable* t : nested) {
        EXPECT_EQ(Widths(t), (std::vector<double>{2000 / 15.0, 3000 / 15.0, 3000 / 15.0}));
        for (int row = 0; row < t->rows(); ++row, ++next) {
            EXPECT_EQ(CellText(t, row, 0), "Name " + QString::number(next));
            EXPECT_EQ(CellText(t, row, 2), "12.50");
        }
    }
    EXPECT_EQ(next, 1000);
    EXPECT_TRUE(CellText(outer.front(), 0, 0).startsWith("Outer start"));
    EXPECT_TRUE(CellText(outer.back(), 0, 0).endsWith("End"));
    EXPECT_EQ(LastParagraph(), "After");
}

TEST_F(RtfTable, RowsWithOtherCellEdgesStartAnotherTableAndStrayCellWordsKeepTheirText) {
    Read("{\\rtf1\\trowd\\cellx1000\\pard\\intbl a\\cell\\row\\trowd\\cellx1000\\cellx2000\\pard\\intbl b\\cell c\\cell\\row"
         "\\pard x\\cell y\\row z\\nestcell\\nestrow end}");
    auto tables = Tables();
    ASSERT_GE(tables.size(), 2u);
    EXPECT_EQ(tables[0]->columns(), 1);
    EXPECT_EQ(tables[1]->columns(), 2);
    EXPECT_EQ(CellText(tables[1], 0, 1), "c");
    for (const char* word : {"a", "b", "c", "x", "y", "z", "end"}) EXPECT_TRUE(Text().contains(word)) << word;
}

TEST_F(RtfTable, MoreCellsThanTheRowDefinesGetColumnsOfTheirOwnAndMergedRowsKeepTheirText) {
    Read("{\\rtf1\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\cell c\\cell\\row"
         "\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\pard\\intbl d\\cell\\cell e\\cell f\\cell\\row}");
    auto tables = Tables();
    ASSERT_EQ(tables.size(), 1u);
    ASSERT_GE(tables[0]->columns(), 3);
    EXPECT_EQ(CellText(tables[0], 0, 2), "c");
    EXPECT_EQ(Widths(tables[0]).size(), static_cast<std::size_t>(tables[0]->columns()));
    EXPECT_DOUBLE_EQ(Widths(tables[0])[1], 1000 / 15.0);
    EXPECT_EQ(tables[0]->cellAt(1, 0).columnSpan(), 2);
    for (const char* word : {"d", "e", "f"}) EXPECT_TRUE(Text().contains(word)) << word;
}

}  // namespace
}  // namespace orvane::rtf::test
