#pragma once

#include <QImage>
#include <QString>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdint>
#include <string>
#include <string_view>

#include "CodePage.h"
#include "RtfState.h"

namespace orvane::rtf {

// Writes what the reader finds into a QTextDocument. Text is gathered into
// runs of one format and inserted a run at a time; a paragraph break is
// inserted only when something follows it, so the document's closing \par
// does not leave an empty last line.
class DocumentBuilder {
public:
    DocumentBuilder(QTextDocument& doc, const DocumentTables& tables);
    ~DocumentBuilder();
    DocumentBuilder(const DocumentBuilder&) = delete;
    DocumentBuilder& operator=(const DocumentBuilder&) = delete;

    // One byte of text in the given code page.
    void AddByte(unsigned char byte, int codePage, const CharState& format);
    // One UTF-16 unit; surrogate pairs may come as two calls.
    void AddUnit(char16_t unit, const CharState& format);
    void AddCodePoint(char32_t cp, const CharState& format);
    void EndParagraph(const ParaState& para, const CharState& format);
    // Inserts an image shown at widthPx x heightPx.
    void AddImage(const QImage& image, double widthPx, double heightPx, const CharState& format);
    // Writes out what is pending; para formats the last, unterminated paragraph.
    void Finish(const ParaState& para);

private:
    void Prepare(const CharState& format);
    void FlushBytes();
    void FlushText();
    void StartPendingBlock(const CharState& format);
    QTextCharFormat MakeCharFormat(const CharState& format) const;
    static QTextBlockFormat MakeBlockFormat(const ParaState& para);

    QTextDocument& doc_;
    const DocumentTables& tables_;
    QTextCursor cursor_;
    CodePageDecoder decoder_;

    CharState runFormat_;
    QString run_;
    std::string bytes_;  // undecoded bytes at the end of run_
    int bytesCodePage_ = 0;
    char16_t highSurrogate_ = 0;
    bool blockPending_ = false;  // a \par was read; its block is not inserted yet
    bool blockHasContent_ = false;
    int imageCount_ = 0;
    bool editing_ = true;  // inside the cursor's edit block
};

}  // namespace orvane::rtf
