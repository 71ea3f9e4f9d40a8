#include "RtfReader.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include <QTextCursor>

#include "RtfParser.h"
#include "core/App.h"
#include "core/Error.h"

namespace orvane::rtf {
namespace {

constexpr std::int32_t kPathFileAccessError = 75;

// Where the document's opening "{\rtf" stands, past leading blanks and a
// UTF-8 byte order mark; npos when the text is not RTF.
std::size_t RtfStart(std::string_view text) {
    std::size_t pos = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' || text[pos] == '\n')) {
        ++pos;
    }
    return text.substr(pos, 5) == "{\\rtf" ? pos : std::string_view::npos;
}

// Undo history is of no use for a loaded document and would double the
// memory a large one takes.
class UndoOff {
public:
    explicit UndoOff(QTextDocument& doc) : doc_(doc), was_(doc.isUndoRedoEnabled()) { doc_.setUndoRedoEnabled(false); }
    ~UndoOff() { doc_.setUndoRedoEnabled(was_); }
    UndoOff(const UndoOff&) = delete;
    UndoOff& operator=(const UndoOff&) = delete;

private:
    QTextDocument& doc_;
    bool was_;
};

}  // namespace

void ReadRtf(std::string_view rtf, QTextDocument& doc) {
    std::size_t start = RtfStart(rtf);
    if (start == std::string_view::npos) {
        throw Error(errnum::InvalidFileFormat, "Invalid file format: the text is not RTF (it does not begin with {\\rtf)");
    }
    UndoOff undoOff(doc);
    // Cleared and filled in one edit: a view then lays the new document out
    // in steps between events, not all at once before it paints.
    QTextCursor edit(&doc);
    edit.beginEditBlock();
    doc.clear();
    RtfParser(rtf.substr(start), doc).Run();
    edit.endEditBlock();
}

namespace {

std::string ReadRtfFile(const std::string& path) {
    const std::filesystem::path file = App::NativePath(path);
    std::error_code ec;
    auto status = std::filesystem::status(file, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        throw Error(errnum::FileNotFound, "File not found: " + path);
    }
    if (ec || status.type() == std::filesystem::file_type::directory) {
        throw Error(kPathFileAccessError, "Path/File access error: " + path);
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) throw Error(kPathFileAccessError, "Path/File access error: " + path);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw Error(kPathFileAccessError, "Path/File access error: cannot read " + path);

    if (RtfStart(bytes) == std::string_view::npos) {
        throw Error(errnum::InvalidFileFormat, "Invalid file format: " + path + " is not an RTF file");
    }
    return bytes;
}

}  // namespace

void LoadRtfFile(const std::string& path, QTextDocument& doc) { ReadRtf(ReadRtfFile(path), doc); }

std::unique_ptr<QTextDocument> LoadRtfDocument(const std::string& path, const QTextDocument& like) {
    const std::string bytes = ReadRtfFile(path);
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(like.defaultFont());
    doc->setDefaultTextOption(like.defaultTextOption());
    doc->setDocumentMargin(like.documentMargin());
    ReadRtf(bytes, *doc);
    return doc;
}

}  // namespace orvane::rtf
