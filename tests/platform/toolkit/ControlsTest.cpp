#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <QScrollBar>
#include <QTextEdit>
#include <QWidget>
#include <QCoreApplication>
#include <QTextDocument>
#include <QTextFrame>
#include <fstream>

#include "SampleForm.h"
#include "rtf/RtfReader.h"

using namespace orvane;
using namespace orvane::toolkit;

namespace {

class ControlsTest : public SampleFormTest {
protected:
    // A path in a folder of this test's own; the file is written when bytes are given.
    std::string File(const std::string& name, const char* bytes = nullptr) const {
        const std::string path = dir_.filePath(QString::fromStdString(name)).toStdString();
        if (bytes) std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    QTemporaryDir dir_;
};

TEST_F(ControlsTest, TextBoxHoldsAnyLengthAndTakesTypedTextOnlyWhenEnabled) {
    TextBox& box = form.txtFirst;
    const std::string longText(100000, 'x');
    box.Text(longText);
    EXPECT_EQ(box.Text(), longText);
    box.Text("Zoë ");
    sim::TypeText(box, "Ann");
    EXPECT_EQ(box.Text(), "Zoë Ann");
    box.Enabled(false);
    sim::TypeText(box, "zzz");
    EXPECT_EQ(box.Text(), "Zoë Ann");
}

TEST_F(ControlsTest, ComboBoxTextIsNotAnEntry) {
    ComboBox& box = form.cboThird;
    box.Text("typed before");
    box.AddItem("United Kingdom");  // the first entry does not take over the text
    box.AddItem("United States");
    EXPECT_EQ(box.Text(), "typed before");
    EXPECT_EQ(box.ListIndex(), -1);
    box.Text("United States");
    EXPECT_EQ(box.ListIndex(), 1);
    box.Text("");
    sim::TypeText(box, "Unit");  // neither completed nor added
    EXPECT_EQ(box.Text(), "Unit");
    EXPECT_EQ(box.ListIndex(), -1);
    EXPECT_EQ(box.ListCount(), 2);
    box.Clear();
    EXPECT_EQ(box.ListCount(), 0);
    EXPECT_EQ(box.Text(), "Unit");
}

TEST_F(ControlsTest, CommandButtonClicksOnlyWhenEnabled) {
    CommandButton& button = form.cmdLast;
    button.Value(true);
    sim::MouseClick(button);
    EXPECT_EQ(form.clicks, (std::vector<std::string>{"cmdLast", "cmdLast"}));
    button.Enabled(false);
    button.Value(true);
    sim::MouseClick(button);
    EXPECT_EQ(form.clicks.size(), 2u);
    button.Enabled(true);
    sim::MouseClick(button);
    EXPECT_EQ(form.clicks.size(), 3u);
}

TEST_F(ControlsTest, PictureBoxShowsThePictureUnscaledInsideItsBorder) {
    PictureBox& box = form.picShown;
    QImage image(300, 50, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(File("pic.png"))));
    box.Picture(File("pic.png"));
    EXPECT_EQ(box.PictureWidth(), 300);
    EXPECT_EQ(box.PictureHeight(), 50);
    // 1500 x 1200 twips is 100 x 80 pixels, less a 2-pixel border each side.
    EXPECT_EQ(box.InnerWidth(), 96);
    EXPECT_EQ(box.InnerHeight(), 76);
    const QImage shown = box.Widget()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(2, 2), QColor(Qt::red));    // top-left of the inner area
    EXPECT_EQ(shown.pixelColor(97, 40), QColor(Qt::red));  // clipped at the right edge, not shrunk
    EXPECT_NE(shown.pixelColor(50, 60), QColor(Qt::red));  // below the picture
    EXPECT_NE(shown.pixelColor(99, 40), QColor(Qt::red));  // the border stays
    EXPECT_EQ(ErrorOf([&] { box.Picture(File("missing.bmp")); }).Number(), 481);
}

TEST_F(ControlsTest, RichTextBoxLoadsRtfOrPlainTextInPlaceOfItsText) {
    RichTextBox& box = form.rtfText;
    box.Text("old text");
    box.LoadFile(File("doc.rtf", "{\\rtf1\\ansi Hello {\\b bold} world\\par}"), rtfRTF);
    EXPECT_EQ(box.Text().substr(0, 21), "Hello bold world");
    EXPECT_EQ(box.Text().find("old text"), std::string::npos);
    box.LoadFile(File("plain.txt", "line 1\r\nline 2\r\n"), rtfText);
    EXPECT_EQ(box.Text(), "line 1\nline 2");
    EXPECT_EQ(ErrorOf([&] { box.LoadFile(File("not.rtf", "plain words"), rtfRTF); }).Number(), orvane::errnum::InvalidFileFormat);
}

// Separate runs of rows, below the middle of a word's line, that are dark
// across nearly all the word's width: its underlines, as the box shows them
// now. The word is found after the given position.
int UnderlinesUnder(QTextEdit& edit, const QString& word, int after = 0) {
    const QTextCursor found = edit.document()->find(word, after);
    EXPECT_FALSE(found.isNull()) << word.toStdString();
    const QImage page = edit.viewport()->grab().toImage();
    QTextCursor cursor(found);
    cursor.setPosition(found.selectionStart());
    const QRect start = edit.cursorRect(cursor);
    cursor.setPosition(found.selectionEnd());
    const int left = start.left() + 2, right = edit.cursorRect(cursor).left() - 2;
    int runs = 0;
    bool inRun = false;
    for (int y = std::max(0, start.center().y()); y < std::min(page.height(), start.bottom() + start.height() / 2); ++y) {
        int dark = 0;
        for (int x = left; x <= right; ++x) dark += page.pixelColor(x, y).lightness() < 160 ? 1 : 0;
        const bool line = dark * 10 >= (right - left + 1) * 9;
        if (line && !inRun) ++runs;
        inRun = line;
    }
    return runs;
}

TEST_F(ControlsTest, RichTextBoxDrawsDoubleUnderlinedTextWithTwoLines) {
    RichTextBox& box = form.rtfText;
    form.Show();
    auto& edit = *static_cast<QTextEdit*>(box.Widget());
    box.LoadFile(File("lines.rtf", "{\\rtf1\\ansi\\fs36 {\\uldb dome} and {\\ul home}\\par}"), rtfRTF);
    EXPECT_EQ(UnderlinesUnder(edit, "dome"), 2);
    EXPECT_EQ(UnderlinesUnder(edit, "home"), 1);

    // In a table cell, and further down a page scrolled to it.
    box.LoadFile(File("cell.rtf", "{\\rtf1\\ansi\\fs36\\trowd\\cellx2500\\intbl {\\uldb dome}\\cell\\row}"), rtfRTF);
    EXPECT_EQ(UnderlinesUnder(edit, "dome"), 2);
    std::string rtf = "{\\rtf1\\ansi\\fs36 ";
    for (int i = 0; i < 30; ++i) rtf += "line\\par ";
    box.LoadFile(File("long.rtf", (rtf + "{\\uldb dome} and {\\ul home}\\par}").c_str()), rtfRTF);
    QTextCursor last(edit.document()->find("dome"));
    last.clearSelection();  // a selected word would stand on a dark ground
    edit.setTextCursor(last);
    edit.ensureCursorVisible();
    ASSERT_GT(edit.verticalScrollBar()->value(), 0);
    EXPECT_EQ(UnderlinesUnder(edit, "dome"), 2);
    EXPECT_EQ(UnderlinesUnder(edit, "home"), 1);
}

// A document that the box reads in many steps after LoadFile returns:
// paragraphs, tables and notes, and end at its end.
std::string LongRtf(const std::string& end) {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\fs20 ";
    for (int i = 0; i < 3000; ++i) {
        const std::string n = std::to_string(i);
        rtf += "\\pard Paragraph " + n + " of plain words and {\\b bold} ones\\chftn{\\footnote\\pard Note " + n + ".}.\\par";
        rtf += "\\trowd\\cellx2000\\cellx4000\\pard\\intbl Cell\\cell " + n + "\\cell\\row\\pard ";
    }
    return rtf + end + "}";
}

// Lets the box read on, between events, until it has read the whole document.
void ReadToTheEnd(const RichTextBox& box) {
    for (int i = 0; i < 1000000 && box.Loading(); ++i) QCoreApplication::processEvents();
    EXPECT_FALSE(box.Loading());
}

TEST_F(ControlsTest, RichTextBoxShowsALongDocumentsBeginningAtOnceAndReadsTheRestBetweenEvents) {
    RichTextBox& box = form.rtfText;
    auto& edit = *static_cast<QTextEdit*>(box.Widget());
    const std::string rtf = LongRtf("\\pard\\fs36 {\\uldb dome} and {\\ul home}\\par");
    box.LoadFile(File("long.rtf", rtf.c_str()), rtfRTF);
    EXPECT_EQ(box.Text().rfind("Paragraph 0 of plain words and bold ones1.", 0), 0u) << box.Text().substr(0, 80);
    EXPECT_TRUE(box.Loading());  // the rest is still to be read
    EXPECT_EQ(box.Text().find("Paragraph 2999 "), std::string::npos);
    ReadToTheEnd(box);
    QTextDocument whole;
    rtf::ReadRtf(rtf, whole);
    EXPECT_EQ(edit.document()->toRawText(), whole.toRawText());
    EXPECT_EQ(edit.document()->rootFrame()->childFrames().size(), whole.rootFrame()->childFrames().size());
    EXPECT_NE(box.Text().find("\nNote 0.\nNote 1.\n"), std::string::npos);
    EXPECT_NE(box.Text().find("Note 2998.\nNote 2999."), std::string::npos);
    // What was read last is drawn as the first: the second line under "dome".
    QTextCursor last(edit.document()->find("dome"));
    last.clearSelection();
    edit.setTextCursor(last);
    edit.ensureCursorVisible();
    EXPECT_EQ(UnderlinesUnder(edit, "dome"), 2);
    EXPECT_EQ(UnderlinesUnder(edit, "home"), 1);
}

TEST_F(ControlsTest, WhateverReplacesALongDocumentBeingReadStopsTheReading) {
    RichTextBox& box = form.rtfText;
    const std::string path = File("long.rtf", LongRtf("").c_str());
    box.LoadFile(path, rtfRTF);
    box.LoadFile(File("short.rtf", "{\\rtf1\\ansi Short\\par}"), rtfRTF);
    ReadToTheEnd(box);
    EXPECT_EQ(box.Text(), "Short");

    box.LoadFile(path, rtfRTF);
    box.LoadFile(File("plain.txt", "plain text\r\n"), rtfText);
    ReadToTheEnd(box);
    EXPECT_EQ(box.Text(), "plain text");

    box.LoadFile(path, rtfRTF);
    box.Text("typed");
    ReadToTheEnd(box);
    EXPECT_EQ(box.Text(), "typed");

    // The window closed while it reads: the reading goes with it.
    box.LoadFile(path, rtfRTF);
    form.Unload();
    for (int i = 0; i < 100; ++i) QCoreApplication::processEvents();
    form.Show();
    EXPECT_EQ(box.Text(), "");
    EXPECT_FALSE(box.Loading());
}

}  // namespace

// Tools outside the program (accessibility, the package test's driver) find a
// control by its name from the window alone.
TEST_F(ControlsTest, EachControlIsFoundInItsWindowByName) {
    for (Control* control : std::initializer_list<Control*>{&form.cmdLast, &form.fraBox, &form.txtSecond,
                                                           &form.lstItems, &form.rtfText}) {
        QWidget* found = form.Window()->findChild<QWidget*>(QString::fromStdString(control->Name()));
        EXPECT_EQ(found, control->Widget()) << control->Name();
    }
}
