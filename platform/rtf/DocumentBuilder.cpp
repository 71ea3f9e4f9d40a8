#include "DocumentBuilder.h"

#include "TabLeaders.h"

#include <QTextBlockFormat>
#include <QTextDocumentFragment>
#include <QTextImageFormat>
#include <QTextOption>
#include <QUrl>

#include <algorithm>

namespace orvane::rtf {
namespace {

constexpr char16_t kBreakOpportunity = 0x200B;

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Where a line may break without help: blanks, hyphens, and the scripts
// (CJK and beyond) that break between characters.
bool BreaksLine(char16_t u) {
    return u == u' ' || u == u'\t' || u == u'-' || u == 0x00AD || u == kBreakOpportunity || u == QChar::LineSeparator ||
           u == 0x2013 || u == 0x2014 || (u >= 0x2E80 && !IsLowSurrogate(u) && !IsHighSurrogate(u) && u < 0xF900);
}

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
DocumentBuilder::DocumentBuilder(QTextDocument& doc, QTextDocument& resources, const DocumentTables& tables,
                                 const std::vector<RowDef>& rowDefinitions)
    : doc_(doc), resources_(resources), tables_(tables), rowDefinitions_(rowDefinitions), cursor_(&doc),
      tableBuilder_(cursor_, tables), boxes_(cursor_, tables, tableBuilder_) {
    cursor_.beginEditBlock();
}

DocumentBuilder::~DocumentBuilder() {
    if (editing_) cursor_.endEditBlock();
}

void DocumentBuilder::SetTableDepth(int depth) {
    if (depth == tableDepth_) return;
    FlushText();
    tableDepth_ = depth;
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

// Puts the cursor where the next content goes: into the table cell its
// depth asks for, into the box of its paragraph's borders when a paragraph
// starts, and into a new block after a \par.
void DocumentBuilder::StartPendingBlock(const CharState& format) {
    const auto startAfresh = [this] {
        blockPending_ = false;
        blockHasContent_ = false;
        wordLength_ = blockLength_ = 0;
        paragraphFirstBlock_ = -1;
    };
    if (tableDepth_ > 0 && boxes_.Leave()) startAfresh();  // paragraphs in cells have no box of their own
    if (tableBuilder_.Enter(tableDepth_, rowDefinitions_)) startAfresh();
    if (tableDepth_ == 0 && (blockPending_ || !blockHasContent_) &&
        boxes_.Place(borders_, !blockPending_ && !blockHasContent_)) {
        startAfresh();
    }
    if (!blockPending_) return;
    if (tableDepth_ > 0 && tableBuilder_.ContinueLongCell(rowDefinitions_)) {
        startAfresh();  // the paragraph begins in the empty cell where the long one goes on
        return;
    }
    blockPending_ = false;
    blockHasContent_ = false;
    cursor_.insertBlock(QTextBlockFormat(), MakeCharFormat(format));
}

void DocumentBuilder::SplitLongParagraph() {
    FlushText();
    if (paragraphFirstBlock_ < 0) paragraphFirstBlock_ = cursor_.blockNumber();
    cursor_.insertBlock(QTextBlockFormat(), MakeCharFormat(runFormat_));
    blockLength_ = 0;
}

// Gives the paragraph its format; a paragraph split into several blocks
// keeps its spacing and first-line indent at its ends only.
void DocumentBuilder::FormatParagraph(const ParaState& para, const QTextBlockFormat& format) {
    // Tabs are placed from the paragraph's first block, where its first line is.
    MarkTabLeaders(paragraphFirstBlock_ < 0 ? cursor_.block() : doc_.findBlockByNumber(paragraphFirstBlock_),
                   TabStopsFor(para), doc_.defaultTextOption().tabStopDistance(), textWidths_);
    if (paragraphFirstBlock_ < 0) {
        cursor_.setBlockFormat(format);
        return;
    }
    const int last = cursor_.blockNumber();
    for (QTextBlock b = doc_.findBlockByNumber(paragraphFirstBlock_); b.isValid() && b.blockNumber() <= last; b = b.next()) {
        QTextBlockFormat part = format;
        if (b.blockNumber() > paragraphFirstBlock_) {
            part.setTopMargin(0);
            part.setTextIndent(0);
        }
        if (b.blockNumber() < last) part.setBottomMargin(0);
        QTextCursor(b).setBlockFormat(part);
    }
    paragraphFirstBlock_ = -1;
}

void DocumentBuilder::CountWordCharacter(bool breaks) {
    ++blockLength_;
    if (breaks) {
        wordLength_ = 0;
        if (blockLength_ >= kLongestBlock) SplitLongParagraph();
        return;
    }
    // A line breaker looks for the end of a word on every line it fills;
    // a word of a million letters makes that quadratic.
    if (++wordLength_ > kLongestWord && (wordLength_ - kLongestWord) % kWordPiece == 0) {
        FlushBytes();
        run_.append(QChar(kBreakOpportunity));
        if (blockLength_ >= kLongestBlock) SplitLongParagraph();
    }
}

void DocumentBuilder::AddByte(unsigned char byte, int codePage, const CharState& format) {
    if (byte < 0x20 && byte != '\t') return;  // control bytes carry nothing to show
    Prepare(format);
    if (highSurrogate_) FlushText();
    if (codePage != bytesCodePage_) {
        FlushBytes();
        bytesCodePage_ = codePage;
    }
    // Break opportunities go only between characters of single-byte pages.
    bytes_.push_back(static_cast<char>(byte));
    if (!IsDoubleByteCodePage(codePage)) CountWordCharacter(byte == ' ' || byte == '\t' || byte == '-');
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
            CountWordCharacter(false);
            return;
        }
        run_.append(QChar(QChar::ReplacementCharacter));
        highSurrogate_ = 0;
    }
    if (IsHighSurrogate(unit)) {
        highSurrogate_ = unit;
        return;
    }
    run_.append(IsLowSurrogate(unit) ? QChar(QChar::ReplacementCharacter) : QChar(unit));
    CountWordCharacter(BreaksLine(unit));
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

void DocumentBuilder::AddText(const QString& text, const CharState& format) {
    for (QChar c : text) AddUnit(c.unicode(), format);
}

void DocumentBuilder::EndParagraph(const ParaState& para, const CharState& format) {
    FlushText();
    StartPendingBlock(format);
    QTextBlockFormat block = MakeBlockFormat(para);
    // Paragraphs of one style that ask for it keep no space between them.
    if (para.contextual && lastContextual_ && para.style == lastStyle_) {
        block.setTopMargin(0);
        if (QTextBlock previous = cursor_.block().previous(); previous.isValid()) {
            QTextCursor before(previous);
            QTextBlockFormat previousFormat = previous.blockFormat();
            previousFormat.setBottomMargin(0);
            before.setBlockFormat(previousFormat);
        }
    }
    lastContextual_ = para.contextual;
    lastStyle_ = para.style;
    FormatParagraph(para, block);
    // An empty paragraph is as high as the font of its paragraph mark.
    if (!blockHasContent_) cursor_.setBlockCharFormat(MakeCharFormat(format));
    blockPending_ = true;
    wordLength_ = 0;
    blockLength_ = 0;
}

void DocumentBuilder::EndCell(int depth, const ParaState& para, const CharState& format) {
    FlushText();
    SetTableDepth(std::max(depth, tableDepth_));
    if (!blockPending_) {
        StartPendingBlock(format);
        FormatParagraph(para, MakeBlockFormat(para));
        if (!blockHasContent_) cursor_.setBlockCharFormat(MakeCharFormat(format));
    }
    blockPending_ = false;
    tableBuilder_.EndCell(depth, rowDefinitions_);
    blockHasContent_ = false;
    wordLength_ = blockLength_ = 0;
    paragraphFirstBlock_ = -1;
}

void DocumentBuilder::EndRow(int depth, const RowDef& row) {
    FlushText();
    blockPending_ = false;
    tableBuilder_.EndRow(depth, row);
    blockHasContent_ = false;
    wordLength_ = blockLength_ = 0;
    paragraphFirstBlock_ = -1;
}

void DocumentBuilder::AddImage(const QImage& image, double widthPx, double heightPx, const CharState& format,
                               const QString& toolTip) {
    FlushText();
    StartPendingBlock(format);
    QUrl url(QStringLiteral("orvane-rtf-image:%1-%2").arg(reinterpret_cast<quintptr>(this)).arg(++imageCount_));
    resources_.addResource(QTextDocument::ImageResource, url, image);
    QTextImageFormat f;
    f.setName(url.toString());
    f.setWidth(widthPx);
    f.setHeight(heightPx);
    if (!toolTip.isEmpty()) f.setToolTip(toolTip);
    cursor_.insertImage(f);
    blockHasContent_ = true;
    wordLength_ = 0;
}

void DocumentBuilder::CloseParagraph(const ParaState& para, const CharState& format) {
    FlushText();
    if (blockHasContent_ && !blockPending_) EndParagraph(para, format);
}

void DocumentBuilder::AppendNotes(const QTextDocument& notes, const ParaState& para) {
    SetTableDepth(0);
    FlushText();
    borders_ = ParaBorders{};  // the notes go after every box
    StartPendingBlock(runFormat_);  // out of any table
    if (blockHasContent_) {
        cursor_.setBlockFormat(MakeBlockFormat(para));
        blockPending_ = true;
        StartPendingBlock(runFormat_);
    }
    QTextBlockFormat rule;
    rule.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth, QTextLength(QTextLength::PercentageLength, 33));
    cursor_.setBlockFormat(rule);
    cursor_.insertBlock(QTextBlockFormat(), QTextCharFormat());
    cursor_.insertFragment(QTextDocumentFragment(&notes));
    blockPending_ = false;
    blockHasContent_ = false;  // the notes keep their own formats
}

void DocumentBuilder::Finish(const ParaState& para) {
    FlushText();
    if (!blockPending_ && blockHasContent_) FormatParagraph(para, MakeBlockFormat(para));
    boxes_.Finish();
    tableBuilder_.Finish();
    Pause();
    finished_ = true;
}

void DocumentBuilder::Pause() {
    if (!editing_) return;
    editing_ = false;
    cursor_.endEditBlock();
}

void DocumentBuilder::Resume() {
    if (editing_ || finished_) return;
    editing_ = true;
    cursor_.beginEditBlock();
}

}  // namespace orvane::rtf
