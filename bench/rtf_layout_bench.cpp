// Measures how long hostile and large RTF documents take to read and to lay
// out in a rich-text box as wide as the description window's. For each
// document it prints its size; the time to build the document alone in one
// go (no layout); the time to open it in the box as the box loads a file
// (the first step read, laid out as far as the box does before it paints,
// painted): how long the window takes to show the document; the time until
// the rest has been read and laid out, step by step between events; the
// longest of those steps or of the layout steps after them: how long the
// window may stop responding; and the layout left after reading. Each is the
// median of a few runs after a warm-up.
//
//   orvane-bench-rtf [name|file.rtf...]   (default: every document)

#include <QApplication>
#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "rtf/RtfReader.h"

namespace {

constexpr int kBoxWidthTwips = 10575;  // the description window's rich-text box
constexpr int kBoxHeightTwips = 6015;

std::string Header() {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
           "{\\colortbl;\\red200\\green0\\blue0;}\\pard\\plain\\fs20 ";
}

// Bold and plain runs in turn, each in a group of its own.
std::string Switches(int count) {
    std::string rtf = Header();
    for (int i = 0; i < count; i += 2) rtf += "{\\b Word}{ plain }";
    return rtf + "\\par}";
}

std::string LongWord(int length) {
    std::string rtf = Header();
    rtf.append(static_cast<std::size_t>(length), 'x');
    return rtf + "\\par}";
}

std::string ManyFonts(int fonts) {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl";
    for (int i = 0; i < fonts; ++i) rtf += "{\\f" + std::to_string(i) + "\\fnil Font Number " + std::to_string(i) + ";}";
    rtf += "}\\pard ";
    for (int i = 0; i < fonts; ++i) rtf += "\\f" + std::to_string(i) + " word" + std::to_string(i) + " ";
    return rtf + "\\par}";
}

// About 10 MB of what real documents hold: paragraphs of formatted runs,
// tables, lists, tabs, notes, links and small pictures.
std::string Mixed(std::size_t bytes) {
    std::string rtf = Header();
    const std::string pixel = "{\\pict\\dibitmap0\\picw2\\pich2\\picwgoal300\\pichgoal300 "
                              "28000000020000000200000001001800000000001000000000000000000000000000000000000000"
                              "0000ff00ff00000000ff000000ff000000}";
    for (int n = 0; rtf.size() < bytes; ++n) {
        switch (n % 6) {
        case 0:
            rtf += "\\pard\\sa120 Plain {\\b bold} and {\\i italic} words, {\\cf1 coloured} text with H{\\dn4 2}O "
                   "and E=mc{\\up6 2}.\\par";
            break;
        case 1:
            rtf += "\\trowd\\trgaph108\\cellx2000\\clbrdrb\\brdrs\\brdrw10\\cellx5000\\cellx8000\\pard\\intbl "
                   "Name\\cell Price\\cell\\qr 12.50\\cell\\row\\pard";
            break;
        case 2:
            rtf += "{\\pntext\\'b7\\tab}\\pard\\fi-360\\li720{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}An item of a list\\par";
            break;
        case 3:
            rtf += "\\pard\\tqr\\tldot\\tx8000 Chapter\\tab 12\\par";
            break;
        case 4:
            rtf += "\\pard See{\\field{\\*\\fldinst HYPERLINK \"http://example.com/\"}{\\fldrslt the site}} "
                   "and a note\\chftn{\\footnote\\pard{\\super\\chftn} The note.}.\\par";
            break;
        default:
            rtf += "\\pard A picture " + pixel + " in a line.\\par";
            break;
        }
    }
    return rtf + "}";
}

// One table of three columns, row after row, up to the size.
std::string LongTable(std::size_t bytes) {
    std::string rtf = Header();
    const std::string row = "\\trowd\\trgaph108\\clbrdrb\\brdrs\\brdrw10\\cellx2000\\cellx5000\\cellx8000"
                            "\\pard\\intbl Name\\cell Some words of a description\\cell\\qr 12.50\\cell\\row";
    while (rtf.size() < bytes) rtf += row;
    return rtf + "\\pard\\par}";
}

// Plain paragraphs of ordinary text up to the size.
std::string PlainText(std::size_t bytes) {
    std::string rtf = Header();
    while (rtf.size() < bytes) {
        rtf += "\\pard Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor incididunt ut "
               "labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud exercitation ullamco laboris.\\par\n";
    }
    return rtf + "}";
}

// One table cell that holds paragraphs up to the size, as converters from
// web pages put a whole document into a layout table.
std::string LongCell(std::size_t bytes) {
    std::string rtf = Header() + "\\trowd\\trgaph108\\clbrdrl\\brdrs\\brdrw10\\cellx9000";
    while (rtf.size() < bytes) {
        rtf += "\\pard\\intbl Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
               "incididunt ut labore et dolore magna aliqua.\\par\n";
    }
    return rtf + "\\pard\\intbl The end.\\cell\\row\\pard\\par}";
}

// One cell of a table holding rows of a nested table, up to the size.
std::string TablesInCell(std::size_t bytes) {
    std::string rtf = Header() + "\\trowd\\cellx9000\\pard\\intbl Outer start\\par";
    while (rtf.size() < bytes) {
        rtf += "\\pard\\intbl\\itap2 Name\\nestcell Some words of a description\\nestcell 12.50\\nestcell"
               "{\\*\\nesttableprops\\trowd\\cellx2000\\cellx5000\\cellx8000\\nestrow}\n";
    }
    return rtf + "\\pard\\intbl\\itap1 The end.\\cell\\row\\pard\\par}";
}

// Paragraphs in boxes and under rules, each group a box of its own, up to the size.
std::string Boxes(std::size_t bytes) {
    std::string rtf = Header();
    while (rtf.size() < bytes) {
        rtf += "\\pard\\box\\brdrs\\brdrw10\\brsp80 A boxed paragraph of a few words.\\par Another in the same box.\\par"
               "\\pard Plain text between the boxes.\\par"
               "\\pard\\brdrb\\brdrdb\\brdrw10 A heading with a double rule\\par\n";
    }
    return rtf + "}";
}

// A table of contents: lines with dot leaders to their page numbers, up to the size.
std::string Contents(std::size_t bytes) {
    std::string rtf = Header();
    for (int n = 1; rtf.size() < bytes; ++n) {
        rtf += "\\pard\\li240\\tx660\\tqr\\tldot\\tx9350 " + std::to_string(n % 40) + ".\\tab A chapter of the book\\tab " +
               std::to_string(n) + "\\par\n";
    }
    return rtf + "}";
}

std::string Nested(int depth) {
    std::string rtf = Header() + "before ";
    for (int i = 0; i < depth; ++i) rtf += "{\\b ";
    rtf += "inside {\\v hidden}";
    for (int i = 0; i < depth; ++i) rtf += "}";
    rtf += " after\\par";
    for (int i = 0; i < 20000; ++i) rtf += "Line of text after the nesting.\\par ";
    return rtf + "}";
}

struct Sample {
    std::string name;
    std::function<std::string()> make;
};

double Ms(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Reads rtf into a document that nothing lays out; returns its ms.
double BuildOnce(const std::string& rtf) {
    QTextDocument doc;
    auto start = std::chrono::steady_clock::now();
    orvane::rtf::ReadRtf(rtf, doc);
    return Ms(start);
}

// Reads rtf into a box like the description window's, shown, as the box
// loads a file: the first step into a new document that the box then shows,
// the rest step by step between events. Then lays out whatever is left to
// the end the way the box does, in steps of at most kLayoutStep characters.
// Returns {open ms, read ms, longest step ms, layout ms after reading, characters}.
std::vector<double> OpenOnce(const std::string& rtf) {
    constexpr int kLayoutStep = 200000;  // the most the box's text layout does in one go
    QTextEdit box;
    box.setReadOnly(true);
    box.setLineWrapMode(QTextEdit::WidgetWidth);
    box.resize(kBoxWidthTwips / 15, kBoxHeightTwips / 15);
    QFont font("MS Sans Serif");
    font.setPointSize(12);
    box.document()->setDefaultFont(font);
    box.show();

    const auto start = std::chrono::steady_clock::now();
    auto* loaded = new QTextDocument(&box);
    loaded->setDefaultFont(font);
    loaded->setDefaultTextOption(box.document()->defaultTextOption());
    orvane::rtf::RtfStepReader reader(rtf, *loaded);
    bool done = reader.Step(orvane::rtf::RtfStepReader::kFirstStep);
    box.setDocument(loaded);
    box.moveCursor(QTextCursor::Start);
    QApplication::processEvents();  // the first screen is painted
    const double open = Ms(start);

    double longest = 0;
    while (!done) {  // the rest, read between events
        const auto step = std::chrono::steady_clock::now();
        done = reader.Step();
        QApplication::processEvents();
        longest = std::max(longest, Ms(step));
    }
    const double read = Ms(start);

    QTextDocument& doc = *box.document();
    QAbstractTextDocumentLayout& layout = *doc.documentLayout();
    double all = 0;
    for (int position = 0;; position += kLayoutStep) {
        const bool last = position + kLayoutStep >= doc.characterCount();
        const QTextBlock block = last ? doc.lastBlock() : doc.findBlock(position + kLayoutStep);
        const auto step = std::chrono::steady_clock::now();
        layout.blockBoundingRect(block);  // lays out everything up to this block
        const double took = Ms(step);
        longest = std::max(longest, took);
        all += took;
        if (last) break;
    }
    return {open, read, longest, all, static_cast<double>(doc.characterCount())};
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    std::vector<Sample> samples{
        {"switches-30000", [] { return Switches(30000); }},
        {"switches-100000", [] { return Switches(100000); }},
        {"word-300000", [] { return LongWord(300000); }},
        {"word-1000000", [] { return LongWord(1000000); }},
        {"fonts-20000", [] { return ManyFonts(20000); }},
        {"mixed-10MB", [] { return Mixed(10u * 1024 * 1024); }},
        {"table-10MB", [] { return LongTable(10u * 1024 * 1024); }},
        {"cell-10MB", [] { return LongCell(10u * 1024 * 1024); }},
        {"cell-tables-10MB", [] { return TablesInCell(10u * 1024 * 1024); }},
        {"plain-10MB", [] { return PlainText(10u * 1024 * 1024); }},
        {"boxes-10MB", [] { return Boxes(10u * 1024 * 1024); }},
        {"contents-10MB", [] { return Contents(10u * 1024 * 1024); }},
        {"nested-100000", [] { return Nested(100000); }},
    };
    std::vector<std::string> wanted(argv + 1, argv + argc);
    for (const std::string& name : wanted) {
        if (name.ends_with(".rtf")) samples.push_back({name, [name] {
            std::ifstream in(name, std::ios::binary);
            return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        }});
    }
    std::printf("%-18s %10s %10s %10s %10s %10s %10s %10s\n", "document", "bytes", "chars", "build ms", "open ms",
                "read ms", "step ms", "layout ms");
    for (const Sample& sample : samples) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), sample.name) == wanted.end()) continue;
        const std::string rtf = sample.make();
        std::vector<double> builds, opens, reads, steps, layouts;
        double chars = 0;
        const int runs = rtf.size() > 1000000 ? 3 : 5;
        for (int i = 0; i <= runs; ++i) {
            const double build = BuildOnce(rtf);
            auto r = OpenOnce(rtf);
            if (i == 0) continue;  // warm-up
            builds.push_back(build);
            opens.push_back(r[0]);
            reads.push_back(r[1]);
            steps.push_back(r[2]);
            layouts.push_back(r[3]);
            chars = r[4];
        }
        std::printf("%-18s %10zu %10.0f %10.1f %10.1f %10.1f %10.1f %10.1f\n", sample.name.c_str(), rtf.size(), chars,
                    Median(builds), Median(opens), Median(reads), Median(steps), Median(layouts));
        std::fflush(stdout);
    }
    return 0;
}
