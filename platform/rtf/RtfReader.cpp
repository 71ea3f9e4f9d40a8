#include "RtfReader.h"

#include <filesystem>
#include <algorithm>
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

std::size_t CheckedRtfStart(std::string_view text) {
    const std::size_t start = RtfStart(text);
    if (start == std::string_view::npos) {
        throw Error(errnum::InvalidFileFormat, "Invalid file format: the text is not RTF (it does not begin with {\\rtf)");
    }
    return start;
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
    const std::size_t start = CheckedRtfStart(rtf);
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

namespace {

constexpr std::size_t kTokensPerRead = 256;  // tokens read between looks at the clock
constexpr double kLeastReadShare = 5;        // a step reads for at least 1/kLeastReadShare of its time

}  // namespace

RtfStepReader::RtfStepReader(std::string rtf, QTextDocument& doc) : doc_(doc), rtf_(std::move(rtf)) {
    const std::size_t start = CheckedRtfStart(rtf_);
    // Undo stays off until the document has been read; one whose reading
    // stops early is thrown away as it is.
    undoWas_ = doc_.isUndoRedoEnabled();
    doc_.setUndoRedoEnabled(false);
    doc_.clear();
    parser_ = std::make_unique<RtfParser>(std::string_view(rtf_).substr(start), doc_);
}

RtfStepReader::~RtfStepReader() = default;

bool RtfStepReader::Step(std::chrono::milliseconds time) {
    if (done_) return true;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto readUntil = start + std::chrono::duration_cast<Clock::duration>(readTime_.count() < 0 ? time : readTime_);
    do {
        done_ = parser_->Run(kTokensPerRead);
    } while (!done_ && Clock::now() < readUntil);
    const auto read = Clock::now();
    parser_->Pause();  // views lay out what was read
    const std::chrono::duration<double, std::milli> spent = Clock::now() - start;
    if (done_) {
        parser_.reset();
        doc_.setUndoRedoEnabled(undoWas_);
        return true;
    }
    // Laying out costs about as much per unit of reading as it did this
    // step. An edit that added table cells also ends with a pass over the
    // whole document's frames, however little it read: reading takes at
    // least a fifth of the time, so that pass never makes up most of a step.
    const std::chrono::duration<double, std::milli> reading = read - start;
    const double share = spent.count() > 0 ? reading.count() / spent.count() : 1.0;
    const double limit = static_cast<double>(time.count());
    readTime_ = std::chrono::duration<double, std::milli>(std::clamp(share * limit, limit / kLeastReadShare, limit));
    return false;
}

RtfLoad BeginRtfDocument(const std::string& path, const QTextDocument& like, std::chrono::milliseconds firstStep) {
    RtfLoad load;
    load.document = std::make_unique<QTextDocument>();
    load.document->setDefaultFont(like.defaultFont());
    load.document->setDefaultTextOption(like.defaultTextOption());
    load.document->setDocumentMargin(like.documentMargin());
    load.rest = std::make_unique<RtfStepReader>(ReadRtfFile(path), *load.document);
    if (load.rest->Step(firstStep)) load.rest.reset();
    return load;
}

}  // namespace orvane::rtf
