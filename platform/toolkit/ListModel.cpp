#include "detail/ListModel.h"

#include <QString>
#include <string>

namespace orvane::toolkit::detail {
namespace {

// The next code point of UTF-8 text at pos; a malformed byte reads as the
// replacement character, as QString::fromUtf8 reads it.
char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || lead > 0xF4) return 0xFFFD;
    char32_t code = lead & (0x3F >> extra);
    for (; extra > 0; --extra) {
        if (pos >= text.size() || (static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80) return 0xFFFD;
        code = (code << 6) | (static_cast<unsigned char>(text[pos++]) & 0x3F);
    }
    return code;
}

char32_t Fold(char32_t code, bool caseSensitive) {
    if (caseSensitive) return code;
    if (code < 0x80) return code >= 'A' && code <= 'Z' ? code + ('a' - 'A') : code;
    return QChar::toCaseFolded(code);
}

// The code points of what was typed, folded when the search ignores case.
std::u32string Needle(const QString& typed, bool caseSensitive) {
    std::u32string needle;
    for (char32_t code : typed.toUcs4()) needle.push_back(Fold(code, caseSensitive));
    return needle;
}

bool StartsWith(std::string_view text, const std::u32string& needle, bool caseSensitive) {
    std::size_t pos = 0;
    for (char32_t wanted : needle) {
        if (pos >= text.size() || Fold(NextCodePoint(text, pos), caseSensitive) != wanted) return false;
    }
    return true;
}

}  // namespace

int ListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

QModelIndex ListModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || row >= shown_ || column != 0 || parent.isValid()) return {};
    return createIndex(row, column);
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shown_) return {};
    const std::string_view text = entries_.TextAt(index.row());
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QModelIndexList ListModel::match(const QModelIndex& start, int role, const QVariant& value, int hits,
                                 Qt::MatchFlags flags) const {
    const bool startsWith = (flags & Qt::MatchTypeMask) == Qt::MatchStartsWith;
    if (role != Qt::DisplayRole || !startsWith || !start.isValid() || start.model() != this)
        return QAbstractListModel::match(start, role, value, hits, flags);
    const bool caseSensitive = flags.testFlag(Qt::MatchCaseSensitive);
    const std::u32string needle = Needle(value.toString(), caseSensitive);
    QModelIndexList found;
    const int first = start.row();
    const int passes = flags.testFlag(Qt::MatchWrap) ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int from = pass == 0 ? first : 0;
        const int to = pass == 0 ? shown_ : first;
        for (int row = from; row < to; ++row) {
            if (!StartsWith(entries_.TextAt(row), needle, caseSensitive)) continue;
            found.append(index(row));
            if (hits != -1 && found.size() >= hits) return found;
        }
    }
    return found;
}

void ListModel::Append(std::string_view text) {
    entries_.Append(text);
    if (!flushQueued_) {
        flushQueued_ = true;
        QMetaObject::invokeMethod(this, [this] { Flush(); }, Qt::QueuedConnection);
    }
}

void ListModel::Clear() {
    beginResetModel();
    entries_.Clear();
    shown_ = 0;
    endResetModel();
}

void ListModel::Flush() {
    flushQueued_ = false;
    const int count = entries_.Count();
    if (count <= shown_) return;
    beginInsertRows({}, shown_, count - 1);
    shown_ = count;
    endInsertRows();
}

}  // namespace orvane::toolkit::detail
