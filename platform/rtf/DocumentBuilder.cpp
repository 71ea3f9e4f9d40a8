#include "DocumentBuilder.h"

#include <QBrush>
#include <QFont>
#include <QTextBlockFormat>
#include <QTextImageFormat>
#include <QTextOption>
#include <QUrl>

#include <algorithm>

namespace orvane::rtf {
namespace {

constexpr double kTwipsPerPixel = 15.0;  // at 96 dpi

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// QTextDocument gives a few characters a structural meaning (block and
// frame markers, the object placeholder); text must not smuggle them in.
void Sanitize(QString& text) {
    for (QChar& c : text) {
        switch (c.unicode()) {
        case 0x2029:  // paragraph separator: paragraphs come only from \par
        case u'\r':
        case u'\n':
            c = QChar(QChar::LineSeparator);
            break;
        case 0xFDD0:
        case 0xFDD1:
        case 0xFFFC:
            c = QChar(QChar::ReplacementCharacter);
            break;
        default:
            break;
        }
    }
}

}  // namespace

// One edit block around the whole load: without it every insertion lays
// out its block again, which is quadratic in the length of a paragraph.
DocumentBuilder::DocumentBuilder(QTextDocument& doc, const DocumentTables& tables)
    : doc_(doc), tables_(tables), cursor_(&doc) {
    cursor_.beginEditBlock();
}

DocumentBuilder::~DocumentBuilder() {
    if (editing_) cursor_.endEditBlock();
}

QTextCharFormat DocumentBuilder::MakeCharFormat(const CharState& s) const {
    QTextCharFormat f;
    if (s.bold) f.setFontWeight(QFont::Bold);
    if (s.italic) f.setFontItalic(true);
    if (s.underline) f.setFontUnderline(true);
    if (s.strike) f.setFontStrikeOut(true);
    if (const FontEntry* font = tables_.FontFor(s.font); font && !font->family.isEmpty()) {
        f.setFontFamilies({font->family});
    }
    if (s.halfPoints > 0) f.setFontPointSize(s.halfPoints / 2.0);
    if (const QColor* c = tables_.ColorFor(s.foreColor)) f.setForeground(QBrush(*c));
    if (const QColor* c = tables_.ColorFor(s.backColor)) f.setBackground(QBrush(*c));
    if (s.vertical > 0) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    if (s.vertical < 0) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (s.caps == 1) f.setFontCapitalization(QFont::AllUppercase);
    if (s.caps == 2) f.setFontCapitalization(QFont::SmallCaps);
    return f;
}

QTextBlockFormat DocumentBuilder::MakeBlockFormat(const ParaState& p) {
    QTextBlockFormat f;
    switch (p.align) {
    case Align::Left: f.setAlignment(Qt::AlignLeft); break;
    case Align::Center: f.setAlignment(Qt::AlignHCenter); break;
    case Align::Right: f.setAlignment(Qt::AlignRight); break;
    case Align::Justify: f.setAlignment(Qt::AlignJustify); break;
    }
    if (p.leftIndent) f.setLeftMargin(p.leftIndent / kTwipsPerPixel);
    if (p.rightIndent) f.setRightMargin(p.rightIndent / kTwipsPerPixel);
    if (p.firstIndent) f.setTextIndent(p.firstIndent / kTwipsPerPixel);
    if (p.spaceBefore) f.setTopMargin(p.spaceBefore / kTwipsPerPixel);
    if (p.spaceAfter) f.setBottomMargin(p.spaceAfter / kTwipsPerPixel);
    // Qt measures tab stops from where the line starts; RTF from the left
    // edge. A hanging first line also stops at the left indent, which is
    // what puts list text after "\bullet\tab" in line with the lines below.
    QList<QTextOption::Tab> tabs;
    const int firstLineStart = p.leftIndent + p.firstIndent;
    for (int i = 0; i < p.tabCount; ++i) {
        if (p.tabStops[i] > firstLineStart) tabs.append(QTextOption::Tab((p.tabStops[i] - firstLineStart) / kTwipsPerPixel, QTextOption::LeftTab));
    }
    if (p.firstIndent < 0) tabs.append(QTextOption::Tab(-p.firstIndent / kTwipsPerPixel, QTextOption::LeftTab));
    if (!tabs.isEmpty()) {
        std::sort(tabs.begin(), tabs.end(), [](const QTextOption::Tab& a, const QTextOption::Tab& b) { return a.position < b.position; });
        tabs.erase(std::unique(tabs.begin(), tabs.end()), tabs.end());
        f.setTabPositions(tabs);
    }
    if (p.lineSpacing != 0) {
        if (p.lineMultiple) {
            // \slN\slmult1: N/240 lines
            f.setLineHeight(std::abs(p.lineSpacing) * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        } else if (p.lineSpacing > 0) {
            f.setLineHeight(p.lineSpacing / kTwipsPerPixel, QTextBlockFormat::MinimumHeight);
        } else {
            f.setLineHeight(-p.lineSpacing / kTwipsPerPixel, QTextBlockFormat::FixedHeight);
        }
    }
    return f;
}

void DocumentBuilder::Prepare(const CharState& format) {
    if (format != runFormat_) {
        FlushText();
        runFormat_ = format;
    }
}

void DocumentBuilder::FlushBytes() {
    if (bytes_.empty()) return;
    run_.append(decoder_.Decode(bytesCodePage_, bytes_));
    bytes_.clear();
}

void DocumentBuilder::FlushText() {
    FlushBytes();
    if (highSurrogate_) {
        run_.append(QChar(QChar::ReplacementCharacter));
        highSurrogate_ = 0;
    }
    if (run_.isEmpty()) return;
    StartPendingBlock(runFormat_);
    Sanitize(run_);
    cursor_.insertText(run_, MakeCharFormat(runFormat_));
    run_.clear();
    blockHasContent_ = true;
}

void DocumentBuilder::StartPendingBlock(const CharState& format) {
    if (!blockPending_) return;
    blockPending_ = false;
    blockHasContent_ = false;
    cursor_.insertBlock(QTextBlockFormat(), MakeCharFormat(format));
}

void DocumentBuilder::AddByte(unsigned char byte, int codePage, const CharState& format) {
    if (byte < 0x20 && byte != '\t') return;  // control bytes carry nothing to show
    Prepare(format);
    if (highSurrogate_) FlushText();
    if (codePage != bytesCodePage_) {
        FlushBytes();
        bytesCodePage_ = codePage;
    }
    bytes_.push_back(static_cast<char>(byte));
}

void DocumentBuilder::AddUnit(char16_t unit, const CharState& format) {
    if (unit < 0x20 && unit != u'\t') return;
    Prepare(format);
    FlushBytes();
    if (highSurrogate_) {
        if (IsLowSurrogate(unit)) {
            run_.append(QChar(highSurrogate_));
            run_.append(QChar(unit));
            highSurrogate_ = 0;
            return;
        }
        run_.append(QChar(QChar::ReplacementCharacter));
        highSurrogate_ = 0;
    }
    if (IsHighSurrogate(unit)) {
        highSurrogate_ = unit;
    } else if (IsLowSurrogate(unit)) {
        run_.append(QChar(QChar::ReplacementCharacter));
    } else {
        run_.append(QChar(unit));
    }
}

void DocumentBuilder::AddCodePoint(char32_t cp, const CharState& format) {
    if (cp > 0x10FFFF) return;
    if (cp < 0x10000) {
        AddUnit(static_cast<char16_t>(cp), format);
        return;
    }
    cp -= 0x10000;
    AddUnit(static_cast<char16_t>(0xD800 + (cp >> 10)), format);
    AddUnit(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)), format);
}

void DocumentBuilder::EndParagraph(const ParaState& para, const CharState& format) {
    FlushText();
    StartPendingBlock(format);
    cursor_.setBlockFormat(MakeBlockFormat(para));
    // An empty paragraph is as high as the font of its paragraph mark.
    if (!blockHasContent_) cursor_.setBlockCharFormat(MakeCharFormat(format));
    blockPending_ = true;
}

void DocumentBuilder::AddImage(const QImage& image, double widthPx, double heightPx, const CharState& format) {
    FlushText();
    StartPendingBlock(format);
    QUrl url(QStringLiteral("orvane-rtf-image:%1").arg(++imageCount_));
    doc_.addResource(QTextDocument::ImageResource, url, image);
    QTextImageFormat f;
    f.setName(url.toString());
    f.setWidth(widthPx);
    f.setHeight(heightPx);
    cursor_.insertImage(f);
    blockHasContent_ = true;
}

void DocumentBuilder::Finish(const ParaState& para) {
    FlushText();
    if (!blockPending_ && blockHasContent_) cursor_.setBlockFormat(MakeBlockFormat(para));
    if (editing_) {
        editing_ = false;
        cursor_.endEditBlock();
    }
}

}  // namespace orvane::rtf
