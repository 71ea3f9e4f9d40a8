#pragma once

#include <QTextDocument>

#include <memory>
#include <string>
#include <string_view>

namespace orvane::rtf {

// Parses RTF text (bytes as in the file) into doc, replacing its content.
// Throws orvane::Error 321 when the text is not RTF; anything else that is
// malformed is read as well as it can be. Needs no QGuiApplication.
void ReadRtf(std::string_view rtf, QTextDocument& doc);

// Reads the whole file and parses it. A missing file is orvane::Error 53, an
// unreadable one 75, both naming the path. path may use "\" separators.
void LoadRtfFile(const std::string& path, QTextDocument& doc);

// Reads the file into a new document with the default font and text options
// of like. A view given a new document lays it out in steps between events;
// one refilled in place is laid out whole at the next cursor move.
std::unique_ptr<QTextDocument> LoadRtfDocument(const std::string& path, const QTextDocument& like);

}  // namespace orvane::rtf
