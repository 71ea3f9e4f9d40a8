#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <fstream>
#include <iterator>

#include "FileBytes.h"
#include "RtfTestSupport.h"

namespace orvane::rtf::test {
namespace {

// Tables that grow over many steps, nested ones, a cell of tables, notes, pictures, boxes and
// leaders: what a step may end in the middle of.
std::string Assorted() {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red200\\green0\\blue0;}\\fs20 ";
    for (int i = 0; i < 300; ++i) {
        const std::string n = std::to_string(i);
        rtf += "\\pard Paragraph " + n + " with {\\b bold}, {\\cf1 colour} and a note\\chftn{\\footnote\\pard{\\super\\chftn} Note " + n +
               ".}.\\par";
        rtf += "\\trowd\\clbrdrb\\brdrs\\brdrw10\\cellx2000\\cellx5000\\pard\\intbl Row " + n + "\\cell\\qr " + n + ".50\\cell\\row";
        if (i % 50 == 0) {
            rtf += "\\pard\\intbl Outer\\cell\\pard\\intbl\\itap2 Inner\\nestcell{\\*\\nesttableprops\\trowd\\cellx1500\\nestrow}"
                   "\\cell{\\*\\nesttableprops}\\trowd\\cellx3000\\cellx6000\\row";
        }
        if (i % 7 == 0) rtf += "\\pard\\box\\brdrs\\brdrw10 Boxed " + n + "\\par";
        if (i % 11 == 0) rtf += "\\pard\\tqr\\tldot\\tx8000 Chapter\\tab " + n + "\\par";
        if (i % 13 == 0) {
            rtf += "\\pard {\\pict\\dibitmap0\\picw2\\pich2\\picwgoal300\\pichgoal300 "
                   "28000000020000000200000001001800000000001000000000000000000000000000000000000000"
                   "0000ff00ff00000000ff000000ff000000}\\par";
        }
    }
    // A cell that goes on below as the tables in it grow.
    rtf += "\\trowd\\cellx9000\\pard\\intbl Tables in a cell\\par";
    for (int i = 0; i < 300; ++i) {
        rtf += "\\pard\\intbl\\itap2 Nested " + std::to_string(i) +
               "\\nestcell a few words of a description\\nestcell{\\*\\nesttableprops\\trowd\\cellx3000\\cellx8000\\nestrow}";
    }
    rtf += "\\pard\\intbl\\itap1 Its end\\cell\\row";
    return rtf + "\\pard The end.\\par}";
}

// The document as HTML, its pictures named without the document's address.
std::string Html(const QTextDocument& doc) {
    static const QRegularExpression address("orvane-rtf-image:[0-9]+-");
    return doc.toHtml().replace(address, "orvane-rtf-image:").toStdString();
}

// Reads rtf in the smallest steps there are, each ending its edit.
int ReadInSteps(const std::string& rtf, QTextDocument& doc) {
    RtfStepReader reader(rtf, doc);
    int steps = 1;
    while (!reader.Step(std::chrono::milliseconds(0))) ++steps;
    EXPECT_TRUE(reader.Done());
    return steps;
}

TEST(RtfStepReadingTest, ADocumentReadInStepsIsTheDocumentReadWhole) {
    std::vector<std::pair<std::string, std::string>> documents{{"assorted", Assorted()}};
    const QDir dir(QString(ORVANE_SOURCE_DIR) + "/tests/platform/rtf/documents");
    for (const QString& name : dir.entryList({"*.rtf"})) {
        documents.emplace_back(name.toStdString(), orvane::test::ReadFileBytes(dir.filePath(name).toStdString()));
    }
    documents.emplace_back("description", orvane::test::ReadFileBytes(std::string(ORVANE_SOURCE_DIR) + "/app/Documents/Orvane.rtf"));
    for (const auto& [name, rtf] : documents) {
        QTextDocument whole, stepped;
        ReadRtf(rtf, whole);
        const int steps = ReadInSteps(rtf, stepped);
        if (name == "assorted") {
            EXPECT_GT(steps, 20);
        }
        EXPECT_EQ(stepped.toRawText(), whole.toRawText()) << name;
        EXPECT_EQ(stepped.blockCount(), whole.blockCount()) << name;
        EXPECT_EQ(stepped.rootFrame()->childFrames().size(), whole.rootFrame()->childFrames().size()) << name;
        // Formats, tables with their widths and borders, pictures, links: all of it.
        EXPECT_EQ(Html(stepped), Html(whole)) << name;
        EXPECT_TRUE(stepped.isUndoRedoEnabled()) << name;
    }
}

TEST(RtfStepReadingTest, TextThatIsNotRtfIsRefusedBeforeTheDocumentIsTouched) {
    QTextDocument doc;
    doc.setPlainText("kept");
    EXPECT_EQ(ErrorNumberOf([&] { RtfStepReader reader("plain words", doc); }), 321);
    EXPECT_EQ(doc.toPlainText(), "kept");
}

TEST(RtfStepReadingTest, AFileIsReadAsFarAsTheFirstStepGoesAndTheRestLater) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("long.rtf").toStdString();
    std::ofstream(path, std::ios::binary) << Assorted();
    QTextDocument like;
    like.setDefaultFont(QFont("DejaVu Sans", 14));
    like.setDocumentMargin(7);

    RtfLoad load = BeginRtfDocument(path, like, std::chrono::milliseconds(0));
    ASSERT_TRUE(load.document);
    ASSERT_TRUE(load.rest);  // one step of a few hundred tokens does not read it all
    EXPECT_TRUE(load.document->toPlainText().startsWith("Paragraph 0 with bold"));
    EXPECT_EQ(load.document->defaultFont(), like.defaultFont());
    EXPECT_EQ(load.document->documentMargin(), 7);
    while (!load.rest->Step(std::chrono::milliseconds(0))) {
    }
    QTextDocument whole;
    LoadRtfFile(path, whole);
    EXPECT_EQ(load.document->toRawText(), whole.toRawText());

    // A short file is read whole in the first step.
    std::ofstream(path, std::ios::binary) << "{\\rtf1\\ansi Short\\par}";
    load.rest.reset();
    load = BeginRtfDocument(path, like, std::chrono::milliseconds(0));
    EXPECT_FALSE(load.rest);
    EXPECT_EQ(load.document->toPlainText(), "Short");
    EXPECT_EQ(ErrorNumberOf([&] { BeginRtfDocument(dir.filePath("missing.rtf").toStdString(), like, {}); }), 53);
}

}  // namespace
}  // namespace orvane::rtf::test
