// Paragraph labels the document did not write out: \pn numbers and
// bullets, and labels from the levels of its list table.
#include "RtfParser.h"

#include <algorithm>

namespace orvane::rtf {
namespace {

QString Roman(int n, bool upper) {
    static const std::pair<int, const char*> kDigits[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"},
                                                           {100, "c"},  {90, "xc"},  {50, "l"},  {40, "xl"},
                                                           {10, "x"},   {9, "ix"},   {5, "v"},   {4, "iv"}, {1, "i"}};
    QString out;
    n = std::clamp(n, 1, 3999);
    for (const auto& [value, digits] : kDigits) {
        while (n >= value) {
            out += QString::fromLatin1(digits);
            n -= value;
        }
    }
    return upper ? out.toUpper() : out;
}

QString Letters(int n, bool upper) {
    QString out;
    n = std::clamp(n, 1, 1000000);
    while (n > 0) {
        --n;
        out.prepend(QChar(static_cast<char16_t>((upper ? u'A' : u'a') + n % 26)));
        n /= 26;
    }
    return out;
}

}  // namespace

void RtfParser::OnNumberingWord(Kw kw, const Token& t) {
    switch (kw) {
    case Kw::NumberBullet: numbering_.bullet = true; break;
    case Kw::NumberBody: numbering_.bullet = false; break;
    case Kw::NumberDecimal: numbering_.style = 0; break;
    case Kw::NumberUpperLetter: numbering_.style = 1; break;
    case Kw::NumberLowerLetter: numbering_.style = 2; break;
    case Kw::NumberUpperRoman: numbering_.style = 3; break;
    case Kw::NumberLowerRoman: numbering_.style = 4; break;
    case Kw::NumberStart: numbering_.start = std::clamp(t.param, 0, 1000000); break;
    case Kw::NumberFont:
        if (t.hasParam && tables_.fonts.count(t.param)) numbering_.font = t.param;
        break;
    default: break;
    }
}

// A paragraph number or bullet from \pn, unless the document wrote it out.
void RtfParser::AddNumberLabel(const CharState& format) {
    if (labelWritten_ || format.hidden) return;
    const int codePage = CodePageFor(format);
    QString before = textDecoder_.Decode(codePage, numbering_.before);
    const QString after = textDecoder_.Decode(codePage, numbering_.after);
    QString label;
    if (numbering_.bullet) {
        // \'b7 is the bullet of the Symbol font that word processors name.
        label = before.isEmpty() || before == QString(QChar(0x00B7)) ? QString(QChar(0x2022)) : before;
    } else {
        const int number = lastParagraphNumbered_ ? numberCounter_ + 1 : numbering_.start;
        numberCounter_ = number;
        paragraphNumbered_ = true;
        QString digits;
        switch (numbering_.style) {
        case 1: digits = Letters(number, true); break;
        case 2: digits = Letters(number, false); break;
        case 3: digits = Roman(number, true); break;
        case 4: digits = Roman(number, false); break;
        default: digits = QString::number(number); break;
        }
        label = before + digits + after;
    }
    DocumentBuilder& out = Out();
    out.AddText(label, format);
    out.AddUnit(u'\t', format);
    labelWritten_ = true;
}

void RtfParser::OnListWord(Kw kw, const Token& t) {
    const int value = t.hasParam ? t.param : 0;
    switch (kw) {
    case Kw::List:
        listBeingRead_.clear();
        listIdBeingRead_ = 0;
        TopFrame().owns |= kList;
        break;
    case Kw::ListId:
        (TopFrame().dest == Dest::ListTable ? listIdBeingRead_ : overrideListId_) = value;
        break;
    case Kw::ListLevel:
        if (listBeingRead_.size() < 9) listBeingRead_.emplace_back();
        break;
    case Kw::LevelFormat:
        if (!listBeingRead_.empty()) listBeingRead_.back().format = value;
        break;
    case Kw::LevelStart:
        if (!listBeingRead_.empty()) listBeingRead_.back().start = std::clamp(value, 0, 1000000);
        break;
    case Kw::ListIndex:
        if (TopFrame().dest == Dest::ListOverrideTable && listOverrides_.size() < 4096) listOverrides_[value] = overrideListId_;
        break;
    default:
        break;
    }
}

// A paragraph of a list whose document did not write its label out
// (\listtext) gets the label its list level describes, before its text.
void RtfParser::BeforeText() {
    const ParaState& para = Top().para;
    Out().SetBorders(para.borders);
    if (labelWritten_ || para.list <= 0 || TopFrame().dest != Dest::Normal) return;
    labelWritten_ = true;
    const QString label = ListLabel(para);
    if (label.isEmpty()) return;
    DocumentBuilder& out = Out();
    out.AddText(label, Top().chr);
    out.AddUnit(u'\t', Top().chr);
}

QString RtfParser::ListLabel(const ParaState& para) {
    auto override = listOverrides_.find(para.list);
    if (override == listOverrides_.end()) return {};
    auto list = lists_.find(override->second);
    if (list == lists_.end() || list->second.empty()) return {};
    const std::vector<ListLevel>& levels = list->second;
    const auto level = std::min(static_cast<std::size_t>(para.listLevel), levels.size() - 1);
    ListCounters& counters = listCounters_[override->second];
    counters.value[level] = counters.started[level] ? counters.value[level] + 1 : levels[level].start;
    counters.started[level] = true;
    for (std::size_t deeper = level + 1; deeper < counters.started.size(); ++deeper) counters.started[deeper] = false;

    const auto number = [&](std::size_t k) {
        const int n = counters.started[k] ? counters.value[k] : levels[k].start;
        switch (levels[k].format) {
        case 1: return Roman(n, true);
        case 2: return Roman(n, false);
        case 3: return Letters(n, true);
        case 4: return Letters(n, false);
        case 22: return QString::number(n).rightJustified(2, u'0');
        case 23:
        case 255: return QString();
        default: return QString::number(n);
        }
    };
    const QString& text = levels[level].text;
    if (text.isEmpty()) return levels[level].format == 23 ? QString(QChar(0x2022)) : number(level) + u'.';
    QString label;
    const qsizetype length = std::min<qsizetype>(text[0].unicode(), text.size() - 1);
    for (qsizetype i = 1; i <= length; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 9) {
            if (c < levels.size()) label += number(c);
        } else if (c >= 0xF020 && c <= 0xF0FF) {  // a symbol font's bullet
            const char byte = static_cast<char>(c & 0xFF);
            label += textDecoder_.Decode(byte == '\xB7' ? kSymbolFontPage : kWingdingsFontPage, std::string_view(&byte, 1));
        } else {
            label += QChar(c);
        }
    }
    return label;
}

}  // namespace orvane::rtf
