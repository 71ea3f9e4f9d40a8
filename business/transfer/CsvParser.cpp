#include "transfer/CsvParser.h"

#include "transfer/FileFormatError.h"

namespace orvane::transfer {

void CsvParser::EndOfLine() {
    if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
    ++line_;
}

bool CsvParser::StartRecord(std::size_t& line) {
    std::string rest;
    while (inRecord_) NextField(rest);  // what the caller left of the last one
    if (pos_ >= text_.size()) return false;
    line = line_;
    inRecord_ = true;
    return true;
}

bool CsvParser::NextField(std::string& field) {
    field.clear();
    if (!inRecord_) return false;
    if (pos_ < text_.size() && text_[pos_] == '"') {
        const std::size_t openedOn = line_;
        ++pos_;
        while (true) {
            if (pos_ >= text_.size()) throw FileFormatError(openedOn, "a quoted field begins here and is never closed");
            const char c = text_[pos_];
            if (c == '"') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                    field += '"';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                break;
            }
            // Line ends inside quotes belong to the field as written.
            if (c == '\n' || (c == '\r' && !(pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n'))) ++line_;
            field += c;
            ++pos_;
        }
    }
    // Unquoted text, or whatever follows a closing quote, up to the next
    // delimiter or line end.
    const std::size_t from = pos_;
    while (pos_ < text_.size() && text_[pos_] != delimiter_ && text_[pos_] != '\r' && text_[pos_] != '\n') ++pos_;
    field.append(text_.substr(from, pos_ - from));
    if (pos_ >= text_.size()) {
        inRecord_ = false;
    } else if (text_[pos_] == delimiter_) {
        ++pos_;
    } else {
        EndOfLine();
        inRecord_ = false;
    }
    return true;
}

bool CsvParser::Next(std::vector<std::string>& fields, std::size_t& line) {
    fields.clear();
    if (!StartRecord(line)) return false;
    std::string field;
    while (NextField(field)) fields.push_back(std::move(field));
    return true;
}

char CsvParser::DetectDelimiter(std::string_view text) {
    std::size_t commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\r' || c == '\n') break;
        commas += c == ',';
        semicolons += c == ';';
        tabs += c == '\t';
    }
    if (semicolons > commas && semicolons >= tabs) return ';';
    if (tabs > commas && tabs > semicolons) return '\t';
    return ',';
}

}  // namespace orvane::transfer
