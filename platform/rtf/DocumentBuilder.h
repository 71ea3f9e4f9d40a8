#pragma once

#include <QImage>
#include <QSet>
#include <QString>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "CodePage.h"
#include "ParagraphBoxes.h"
#include "TabLeaders.h"
#include "RtfState.h"
#include "TableBuilder.h"

namespace orvane::rtf {

// Writes what the reader finds into a QTextDocument. Text is gathered into
// runs of one format and inserted a run at a time; a paragraph break is
// inserted only when something follows it, so the document's closing \par
// does not leave an empty last line.
//
// It also shapes the text so that laying it out stays fast: a word too long
// for any line gets break opportunities (U+200B); a paragraph too long to
// lay out in one go is kept in blocks of about kLongestBlock characters,
// split where a line may break, that join without space between them (a
// view lays out block by block, between events); and a document that names
// more fonts than a document reasonably uses shows the rest in the generic
// family of their kind.
class DocumentBuilder {
public:
    static constexpr int kLongestWord = 200;   // characters before break opportunities are added
    static constexpr int kWordPiece = 16;      // characters between added break opportunities
    static constexpr int kMaxFamilies = 64;    // distinct font families a document may show
    static constexpr int kLongestBlock = 8000; // characters

    // Images go into resources (the main document, also for notes built
    // apart); rowDefinitions[d] is the table row last defined at depth d.
    DocumentBuilder(QTextDocument& doc, QTextDocument& resources, const DocumentTables& tables,
                    const std::vector<RowDef>& rowDefinitions);
    ~DocumentBuilder();
    DocumentBuilder(const DocumentBuilder&) = delete;
    DocumentBuilder& operator=(const DocumentBuilder&) = delete;

    // The table depth of what comes next (ParaState::tableDepth).
    void SetTableDepth(int depth);
    // The borders of the paragraph that the next content belongs to.
    void SetBorders(const ParaBorders& borders) { borders_ = borders; }
    // One byte of text in the given code page.
    void AddByte(unsigned char byte, int codePage, const CharState& format);
    // One UTF-16 unit; surrogate pairs may come as two calls.
    void AddUnit(char16_t unit, const CharState& format);
    void AddCodePoint(char32_t cp, const CharState& format);
    void AddText(const QString& text, const CharState& format);
    void EndParagraph(const ParaState& para, const CharState& format);
    // Ends the paragraph being written, if it has content and no \par yet.
    void CloseParagraph(const ParaState& para, const CharState& format);
    void EndCell(int depth, const ParaState& para, const CharState& format);
    void EndRow(int depth, const RowDef& row);
    // Inserts an image shown at widthPx x heightPx.
    void AddImage(const QImage& image, double widthPx, double heightPx, const CharState& format,
                  const QString& toolTip = {});
    // Appends another document (the notes) after a separating rule; para
    // formats the paragraph before it if that has no \par.
    void AppendNotes(const QTextDocument& notes, const ParaState& para);
    // Writes out what is pending; para formats the last, unterminated paragraph.
    void Finish(const ParaState& para);
    // Ends the edit block that the building runs in, so that a view lays
    // out what has been built so far; Resume() begins another.
    void Pause();
    void Resume();

private:
    void Prepare(const CharState& format);
    void FlushBytes();
    void FlushText();
    void StartPendingBlock(const CharState& format);
    void CountWordCharacter(bool breaks);
    void SplitLongParagraph();
    void FormatParagraph(const ParaState& para, const QTextBlockFormat& format);
    QTextCharFormat MakeCharFormat(const CharState& format);
    QString FamilyFor(const FontEntry& font);
    QTextBlockFormat MakeBlockFormat(const ParaState& para) const;
    static std::vector<LeaderStop> TabStopsFor(const ParaState& para);

    QTextDocument& doc_;
    QTextDocument& resources_;
    const DocumentTables& tables_;
    const std::vector<RowDef>& rowDefinitions_;
    QTextCursor cursor_;
    TableBuilder tableBuilder_;
    ParagraphBoxes boxes_;
    ParaBorders borders_;
    TextWidths textWidths_;  // for the tabs of paragraphs with leaders
    CodePageDecoder decoder_;

    CharState runFormat_;
    QString run_;
    std::string bytes_;  // undecoded bytes at the end of run_
    int bytesCodePage_ = 0;
    char16_t highSurrogate_ = 0;
    int tableDepth_ = 0;
    bool blockPending_ = false;  // a \par was read; its block is not inserted yet
    bool blockHasContent_ = false;
    int wordLength_ = 0;         // characters since the last break opportunity
    int blockLength_ = 0;        // characters in the block being written
    int paragraphFirstBlock_ = -1;  // block number where a split paragraph began
    bool editing_ = true;        // inside the cursor's edit block
    bool finished_ = false;
    bool lastContextual_ = false;  // the paragraph before had \contextualspace
    int lastStyle_ = -1;
    int imageCount_ = 0;
    std::map<QString, QString> families_;  // family asked for -> family shown
    QSet<QString> shownFamilies_;
};

}  // namespace orvane::rtf
