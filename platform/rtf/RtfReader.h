#pragma once

#include <QTextDocument>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace orvane::rtf {

class RtfParser;

// Parses RTF text (bytes as in the file) into doc, replacing its content.
// Throws orvane::Error 321 when the text is not RTF; anything else that is
// malformed is read as well as it can be. Needs no QGuiApplication.
void ReadRtf(std::string_view rtf, QTextDocument& doc);

// Reads the whole file and parses it. A missing file is orvane::Error 53, an
// unreadable one 75, both naming the path. path may use "\" separators.
void LoadRtfFile(const std::string& path, QTextDocument& doc);

// Reads a document in steps, so that a view can show the beginning of a
// long one at once and stay responsive while the rest is read. Between
// steps the document holds what has been read so far, and a view lays out
// what a step added as the step ends.
class RtfStepReader {
public:
    static constexpr std::chrono::milliseconds kFirstStep{5};  // before a view first shows the document
    static constexpr std::chrono::milliseconds kStepTime{50};   // while it is shown

    // Checks that rtf is RTF (orvane::Error 321 when not) and clears doc.
    RtfStepReader(std::string rtf, QTextDocument& doc);
    ~RtfStepReader();
    RtfStepReader(const RtfStepReader&) = delete;
    RtfStepReader& operator=(const RtfStepReader&) = delete;

    // Reads on, then lets views lay out what was read. A step reads at
    // least a few hundred tokens and otherwise for as long as keeps reading
    // and laying out together at about time (the laying out of the last
    // step tells how long). True once the whole document has been read.
    bool Step(std::chrono::milliseconds time = kStepTime);
    bool Done() const { return done_; }

private:
    QTextDocument& doc_;
    std::string rtf_;
    std::unique_ptr<RtfParser> parser_;
    std::chrono::duration<double, std::milli> readTime_{-1};  // none yet: the first step reads for all its time
    bool done_ = false;
    bool undoWas_ = true;
};

// A document being read from a file: document holds what has been read;
// rest, null when the whole file was read, reads the rest of it.
struct RtfLoad {
    std::unique_ptr<QTextDocument> document;
    std::unique_ptr<RtfStepReader> rest;  // declared last: goes before the document it reads into
};

// Reads the file into a new document with the default font and text options
// of like, for about firstStep. Errors as LoadRtfFile.
RtfLoad BeginRtfDocument(const std::string& path, const QTextDocument& like, std::chrono::milliseconds firstStep);

}  // namespace orvane::rtf
