#include "RtfParser.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QTextOption>

#include <algorithm>
#include <array>
#include <limits>

#include "PictureDecoder.h"

namespace orvane::rtf {
namespace {

constexpr int kMaxTwips = 31680;        // 22 inches: more than any page is wide
constexpr int kMaxHalfPoints = 3276;    // 1638 pt, the most a word processor offers
constexpr std::size_t kMaxFontName = 256;
constexpr std::size_t kMaxCollected = 4096;  // field instructions and shape property values
constexpr std::size_t kMaxCells = 63;        // the most cells a row of a word processor has
constexpr int kDefaultTabTwips = 720;
constexpr double kTwipsPerPixel = 15.0;
constexpr double kHimetricPerPixel = 2540.0 / 96.0;

int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int Twips(const Token& t, int low = -kMaxTwips) { return std::clamp(t.hasParam ? t.param : 0, low, kMaxTwips); }

void Collect(std::string& into, unsigned char byte, std::size_t limit = kMaxCollected) {
    if (into.size() < limit) into.push_back(static_cast<char>(byte));
}

// Destinations a reader that knows them reads even when they are starred.
bool IsKnownStarred(Kw kw) {
    switch (kw) {
    case Kw::ShpPict:
    case Kw::Pict:
    case Kw::FieldInst:
    case Kw::ShapeInst:
    case Kw::PictureProperties:
    case Kw::NestTableProps:
    case Kw::ParaNumbering:
    case Kw::Footnote:
    case Kw::ListTable:
    case Kw::ListOverrideTable:
        return true;
    default:
        return false;
    }
}

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

// The target of a HYPERLINK field: its first argument, with "\l" naming a
// place in the document.
QString LinkTarget(const QString& instruction) {
    QString text = instruction.trimmed();
    if (!text.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive)) return {};
    QString target, anchor;
    bool anchorNext = false, skipNext = false;
    for (qsizetype i = 9; i < text.size();) {
        if (text[i].isSpace()) {
            ++i;
            continue;
        }
        QString token;
        if (text[i] == u'"') {
            qsizetype end = text.indexOf(u'"', i + 1);
            if (end < 0) end = text.size();
            token = text.mid(i + 1, end - i - 1);
            i = end + 1;
        } else {
            qsizetype end = i;
            while (end < text.size() && !text[end].isSpace()) ++end;
            token = text.mid(i, end - i);
            i = end;
            if (token.startsWith(u'\\') && token.size() == 2) {
                const QChar flag = token[1].toLower();
                anchorNext = flag == u'l';
                skipNext = flag == u'o' || flag == u't';
                continue;
            }
        }
        if (anchorNext) {
            anchor = token;
        } else if (!skipNext && target.isEmpty()) {
            target = token;
        }
        anchorNext = skipNext = false;
    }
    if (!anchor.isEmpty()) target += u'#' + anchor;
    return target;
}

}  // namespace

RtfParser::RtfParser(std::string_view rtf, QTextDocument& doc)
    : tokenizer_(rtf), doc_(doc), rowDefs_(TableBuilder::kMaxDepth + 1), builder_(doc, doc, tables_, rowDefs_) {
    stack_.reserve(64);
    stack_.emplace_back();  // the state outside every group
    QTextOption option = doc_.defaultTextOption();
    option.setTabStopDistance(kDefaultTabTwips / kTwipsPerPixel);
    doc_.setDefaultTextOption(option);
}

RtfParser::~RtfParser() = default;

void RtfParser::Run() {
    while (!Run(std::numeric_limits<std::size_t>::max())) {
    }
}

bool RtfParser::Run(std::size_t tokens) {
    if (done_) return true;
    builder_.Resume();
    for (std::size_t n = 0; n < tokens; ++n) {
        if (!ReadToken()) {
            done_ = true;
            return true;
        }
    }
    return false;
}

bool RtfParser::ReadToken() {
    Token t = tokenizer_.Next();
    switch (t.kind) {
    case TokenKind::End:
        Complete();  // a document that lost its closing braces
        return false;
    case TokenKind::GroupStart:
        OpenGroup();
        break;
    case TokenKind::GroupEnd:
        return CloseGroup();  // whatever follows the document is not part of it
    case TokenKind::Word:
        OnWord(t);
        break;
    case TokenKind::Symbol:
        OnSymbol(static_cast<char>(t.param));
        break;
    case TokenKind::HexByte:
        OnByte(static_cast<unsigned char>(t.param), true);
        break;
    case TokenKind::Text:
        for (char c : t.text) OnByte(static_cast<unsigned char>(c), false);
        break;
    case TokenKind::Binary:
        if (TopFrame().starPending) {
            TopFrame().dest = Dest::Skip;
        } else if (!ConsumeUnicodeSkip() && TopFrame().dest == Dest::Pict) {
            picture_.data.append(t.text);
            picture_.nibble = -1;
        }
        break;
    }
    return true;
}

void RtfParser::Complete() {
    if (notes_) {
        notes_->Finish(ParaState{});
        builder_.AppendNotes(notesDoc_, Top().para);
    }
    builder_.Finish(Top().para);
}

RtfParser::Frame RtfParser::Snapshot() {
    Frame f = TopFrame();
    f.hidden = Top().chr.hidden;
    f.link = Top().chr.link;
    return f;
}

void RtfParser::OpenGroup() {
    pendingSkip_ = 0;
    if (stack_.size() > kMaxDepth) {
        // Too deep to keep every state: keep what decides where text goes.
        Frame f = Snapshot();
        if (!overflow_.empty() && overflow_.back().saved == f) {
            ++overflow_.back().count;
        } else {
            overflow_.push_back({f, 1});
        }
        TopFrame().starPending = false;
        TopFrame().owns = 0;
        return;
    }
    Group g = Top();
    g.frame.starPending = false;
    g.frame.owns = 0;
    stack_.push_back(g);
}

bool RtfParser::CloseGroup() {
    pendingSkip_ = 0;
    if (!overflow_.empty()) {
        Finishing(Top());
        Overflow& o = overflow_.back();
        TopFrame() = o.saved;
        Top().chr.hidden = o.saved.hidden;
        Top().chr.link = o.saved.link;
        if (--o.count == 0) overflow_.pop_back();
        return true;
    }
    Finishing(Top());
    if (stack_.size() <= 2) {
        Complete();
        stack_.resize(1);
        return false;
    }
    stack_.pop_back();
    return true;
}

// What a closing group owned comes to an end.
void RtfParser::Finishing(Group& g) {
    if (g.frame.owns & kPicture) FinishPicture();
    if (g.frame.dest == Dest::FontTable) CommitFont();
    if ((g.frame.owns & kShapeValue) && shapeName_ == "wzDescription") {
        pictureAlt_ = textDecoder_.Decode(tables_.codePage, shapeValue_).trimmed();
    }
    if (g.frame.owns & kNumbering) {
        CharState label = stack_.size() >= 2 ? stack_[stack_.size() - 2].chr : g.chr;
        if (numbering_.font >= 0) label.font = numbering_.font;
        AddNumberLabel(label);
    }
    if ((g.frame.owns & kNote) && notes_) notes_->CloseParagraph(g.para, g.chr);
    if ((g.frame.owns & kList) && lists_.size() < 4096) lists_[listIdBeingRead_] = std::move(listBeingRead_);
}

bool RtfParser::ConsumeUnicodeSkip() {
    if (pendingSkip_ <= 0) return false;
    --pendingSkip_;
    return true;
}

bool RtfParser::Shows() { return TopFrame().dest == Dest::Normal && !Top().chr.hidden; }

DocumentBuilder& RtfParser::Out() {
    DocumentBuilder& out = TopFrame().target == Target::Notes && notes_ ? *notes_ : builder_;
    out.SetTableDepth(Top().para.tableDepth);
    return out;
}

int RtfParser::CodePageFor(const CharState& chr) const {
    const FontEntry* font = tables_.FontFor(chr.font);
    if (font && font->symbol) {
        if (font->family.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0) return kSymbolFontPage;
        if (font->family.startsWith(QLatin1String("Wingdings"), Qt::CaseInsensitive)) return kWingdingsFontPage;
    }
    return font && font->codePage > 0 ? font->codePage : tables_.codePage;
}

RowDef& RtfParser::RowFor(int depth) {
    return rowDefs_[static_cast<std::size_t>(std::clamp(depth, 1, TableBuilder::kMaxDepth))];
}

int RtfParser::RowDepth() { return std::max(1, Top().para.tableDepth); }

void RtfParser::OnByte(unsigned char byte, bool escaped) {
    Frame& f = TopFrame();
    if (f.starPending) {  // "{\*" followed by text: nothing we know
        f.starPending = false;
        f.dest = Dest::Skip;
    }
    if (f.dest == Dest::Skip || ConsumeUnicodeSkip()) return;
    switch (f.dest) {
    case Dest::Normal:
        if (!Top().chr.hidden) {
            BeforeText();
            Out().AddByte(byte, CodePageFor(Top().chr), Top().chr);
        }
        break;
    case Dest::LevelText:
        if (!listBeingRead_.empty() && listBeingRead_.back().text.size() < 64) {
            const char c = static_cast<char>(byte);
            listBeingRead_.back().text += textDecoder_.Decode(tables_.codePage, std::string_view(&c, 1));
        }
        break;
    case Dest::FontTable:
        if (byte == ';' && !escaped) {
            CommitFont();
        } else if (fontNumber_ >= 0) {
            Collect(fontName_, byte, kMaxFontName);
        }
        break;
    case Dest::ColorTable:
        if (byte == ';' && !escaped) CommitColor();
        break;
    case Dest::Pict:
        if (int v = HexValue(byte); v >= 0 && !escaped) {
            if (picture_.nibble < 0) {
                picture_.nibble = v;
            } else {
                picture_.data.push_back(static_cast<char>(picture_.nibble * 16 + v));
                picture_.nibble = -1;
            }
        }
        break;
    case Dest::FieldInst: Collect(fieldInst_, byte); break;
    case Dest::ShapeName: Collect(shapeName_, byte, 64); break;
    case Dest::ShapeValue: Collect(shapeValue_, byte); break;
    case Dest::NumberBefore: Collect(numbering_.before, byte, 32); break;
    case Dest::NumberAfter: Collect(numbering_.after, byte, 32); break;
    case Dest::ShapeInst:
    case Dest::Numbering:
    case Dest::ListTable:
    case Dest::ListOverrideTable:
    case Dest::Skip:
        break;
    }
}

void RtfParser::OnSymbol(char symbol) {
    if (symbol == '*') {
        TopFrame().starPending = true;
        return;
    }
    if (symbol == '\\' || symbol == '{' || symbol == '}') {
        OnByte(static_cast<unsigned char>(symbol), true);
        return;
    }
    Frame& f = TopFrame();
    if (f.starPending) {
        f.starPending = false;
        f.dest = Dest::Skip;
    }
    if (f.dest == Dest::Skip || ConsumeUnicodeSkip()) return;
    const CharState& c = Top().chr;
    switch (symbol) {
    case '\n':
        if (f.dest == Dest::Normal) EndParagraph();
        break;
    case '~':
        if (Shows()) BeforeText(), Out().AddUnit(0x00A0, c);
        break;
    case '-':
        if (Shows()) Out().AddUnit(0x00AD, c);
        break;
    case '_':
        if (Shows()) BeforeText(), Out().AddUnit(0x2011, c);
        break;
    default:
        break;  // \| \: and the like mark index entries and formulas
    }
}

void RtfParser::OnWord(const Token& t) {
    Keyword k = LookupKeyword(t.text);
    Frame& f = TopFrame();
    if (f.starPending) {
        // "{\*\word": a destination a reader may ignore unless it knows it.
        f.starPending = false;
        if (!IsKnownStarred(k.kw)) {
            f.dest = Dest::Skip;
            return;
        }
    }
    if (f.dest == Dest::Skip || ConsumeUnicodeSkip()) return;
    if (k.kw == Kw::UnicodeSkip) {
        f.unicodeSkip = std::max(0, t.hasParam ? t.param : 1);
        return;
    }
    if (OnDestinationWord(k.kw)) return;
    switch (f.dest) {
    case Dest::Normal:
        OnBodyWord(k.kw, k.character, t);
        break;
    case Dest::FontTable:
        OnFontTableWord(k.kw, t);
        break;
    case Dest::ColorTable: {
        int value = std::clamp(t.hasParam ? t.param : 0, 0, 255);
        if (k.kw == Kw::Red) red_ = value, colorSet_ = true;
        if (k.kw == Kw::Green) green_ = value, colorSet_ = true;
        if (k.kw == Kw::Blue) blue_ = value, colorSet_ = true;
        break;
    }
    case Dest::Pict:
        OnPictWord(k.kw, t);
        break;
    case Dest::Numbering:
        OnNumberingWord(k.kw, t);
        break;
    case Dest::ListTable:
    case Dest::ListOverrideTable:
        OnListWord(k.kw, t);
        break;
    case Dest::LevelText:
        if (k.kw == Kw::Unicode) AddUnicode(t.param);
        break;
    default:
        break;
    }
}

// Words that open a destination; true when the word was one.
bool RtfParser::OnDestinationWord(Kw kw) {
    Frame& f = TopFrame();
    const bool body = f.dest == Dest::Normal;
    switch (kw) {
    case Kw::FontTable:
        if (!body) return false;
        f.dest = Dest::FontTable;
        fontNumber_ = -1;
        fontName_.clear();
        return true;
    case Kw::ColorTable:
        if (!body) return false;
        f.dest = Dest::ColorTable;
        tables_.colors.clear();
        red_ = green_ = blue_ = 0;
        colorSet_ = false;
        return true;
    case Kw::Pict: {
        const bool shapePicture = f.dest == Dest::ShapeValue && shapeName_ == "pib";
        picture_ = Picture{};
        picture_.shown = (body || shapePicture) && !Top().chr.hidden;
        f.dest = Dest::Pict;
        f.owns |= kPicture;
        return true;
    }
    case Kw::PictureProperties:
        if (f.dest == Dest::Pict) f.dest = Dest::ShapeInst;  // read like a shape's properties
        return true;
    case Kw::ShapeInst:
        if (!body) return false;
        f.dest = Dest::ShapeInst;
        pictureAlt_.clear();
        return true;
    case Kw::ShapeName:
        if (f.dest != Dest::ShapeInst) return false;
        f.dest = Dest::ShapeName;
        shapeName_.clear();
        return true;
    case Kw::ShapeValue:
        if (f.dest != Dest::ShapeInst) return false;
        f.dest = Dest::ShapeValue;
        f.owns |= kShapeValue;
        shapeValue_.clear();
        return true;
    case Kw::ShapeText:
        if (f.dest == Dest::ShapeInst) f.dest = Dest::Normal;  // the text box's text shows where it is anchored
        return f.dest == Dest::Normal;
    case Kw::FieldInst:
        if (!body) return false;
        f.dest = Dest::FieldInst;
        fieldInst_.clear();
        return true;
    case Kw::FieldResult:
        if (!body) return false;
        StartLink();
        return true;
    case Kw::Footnote:
        if (!body) return false;
        StartNote();
        return true;
    case Kw::ParaNumbering:
        if (!body) return false;
        f.dest = Dest::Numbering;
        f.owns |= kNumbering;
        numbering_ = Numbering{};
        return true;
    case Kw::NumberTextBefore:
    case Kw::NumberTextAfter:
        if (f.dest != Dest::Numbering) return false;
        f.dest = kw == Kw::NumberTextBefore ? Dest::NumberBefore : Dest::NumberAfter;
        return true;
    case Kw::NumberText:
        if (body) labelWritten_ = true;
        return false;
    case Kw::ListTable:
    case Kw::ListOverrideTable:
        if (!body) return false;
        f.dest = kw == Kw::ListTable ? Dest::ListTable : Dest::ListOverrideTable;
        return true;
    case Kw::LevelText:
        if (f.dest != Dest::ListTable) return false;
        f.dest = Dest::LevelText;
        return true;
    case Kw::LevelNumbers:
        if (f.dest != Dest::ListTable) return false;
        f.dest = Dest::Skip;  // where the numbers stand is known from the text itself
        return true;
    case Kw::NonShpPict:  // the same picture again, for older readers
    case Kw::SkipDestination:
        f.dest = Dest::Skip;
        return true;
    default:
        return false;
    }
}

void RtfParser::OnBodyWord(Kw kw, char16_t character, const Token& t) {
    Group& g = Top();
    CharState& c = g.chr;
    ParaState& p = g.para;
    const bool on = !t.hasParam || t.param != 0;
    switch (kw) {
    case Kw::Ansi: tables_.codePage = 1252; break;
    case Kw::Mac: tables_.codePage = 10000; break;
    case Kw::Pc: tables_.codePage = 437; break;
    case Kw::Pca: tables_.codePage = 850; break;
    case Kw::AnsiCodePage:
        if (t.hasParam && t.param > 0) tables_.codePage = t.param;
        break;
    case Kw::DefaultFont:
        if (t.hasParam) tables_.defaultFont = t.param;
        break;
    case Kw::DefaultTab:
        if (t.hasParam && t.param > 0) {
            QTextOption option = doc_.defaultTextOption();
            option.setTabStopDistance(std::min(t.param, kMaxTwips) / kTwipsPerPixel);
            doc_.setDefaultTextOption(option);
        }
        break;
    case Kw::Unicode:
        AddUnicode(t.param);
        break;

    case Kw::Font:
        if (t.hasParam && tables_.fonts.count(t.param)) c.font = t.param;
        break;
    case Kw::Plain: {  // resets the formatting, not the link its text belongs to
        const int link = c.link;
        c = CharState{};
        c.link = link;
        break;
    }
    case Kw::Bold: c.bold = on; break;
    case Kw::Italic: c.italic = on; break;
    case Kw::Underline: c.underline = on ? Underline::Single : Underline::None; break;
    case Kw::UnderlineDouble: c.underline = on ? Underline::Double : Underline::None; break;
    case Kw::UnderlineDotted: c.underline = on ? Underline::Dotted : Underline::None; break;
    case Kw::UnderlineDash: c.underline = on ? Underline::Dash : Underline::None; break;
    case Kw::UnderlineDashDot: c.underline = on ? Underline::DashDot : Underline::None; break;
    case Kw::UnderlineDashDotDot: c.underline = on ? Underline::DashDotDot : Underline::None; break;
    case Kw::UnderlineWave: c.underline = on ? Underline::Wave : Underline::None; break;
    case Kw::UnderlineNone: c.underline = Underline::None; break;
    case Kw::Strike: c.strike = on; break;
    case Kw::Hidden: c.hidden = on; break;
    case Kw::FontSize:
        c.halfPoints = t.hasParam && t.param > 0 ? std::clamp(t.param, 2, kMaxHalfPoints) : 24;
        break;
    case Kw::ForeColor:
    case Kw::BackColor: {
        int index = t.hasParam ? t.param : 0;
        if (index < 0 || static_cast<std::size_t>(index) >= std::max<std::size_t>(tables_.colors.size(), 1)) break;
        (kw == Kw::ForeColor ? c.foreColor : c.backColor) = index;
        break;
    }
    case Kw::Super: c.vertical = on ? 1 : 0; break;
    case Kw::Sub: c.vertical = on ? -1 : 0; break;
    case Kw::NoSuperSub: c.vertical = 0, c.raise = 0; break;
    case Kw::Caps: c.caps = on ? 1 : 0; break;
    case Kw::SmallCaps: c.caps = on ? 2 : 0; break;
    case Kw::Up:
    case Kw::Down: {
        const int halfPoints = std::clamp(t.hasParam ? t.param : 6, 0, kMaxHalfPoints);
        c.raise = kw == Kw::Up ? halfPoints : -halfPoints;
        break;
    }
    case Kw::ExpandTwips: c.expand = std::clamp(t.hasParam ? t.param : 0, -kMaxTwips, kMaxTwips); break;
    case Kw::ExpandQuarterPoints: c.expand = std::clamp(t.hasParam ? t.param : 0, -6000, 6000) * 5; break;

    case Kw::Par: EndParagraph(); break;
    case Kw::Pard:
        p = ParaState{};
        borderTarget_ = -1;
        break;
    case Kw::AlignLeft: p.align = Align::Left; break;
    case Kw::AlignCenter: p.align = Align::Center; break;
    case Kw::AlignRight: p.align = Align::Right; break;
    case Kw::AlignJustify: p.align = Align::Justify; break;
    case Kw::LeftIndent: p.leftIndent = Twips(t); break;
    case Kw::RightIndent: p.rightIndent = Twips(t); break;
    case Kw::FirstIndent: p.firstIndent = Twips(t); break;
    case Kw::SpaceBefore: p.spaceBefore = Twips(t, 0); break;
    case Kw::SpaceAfter: p.spaceAfter = Twips(t, 0); break;
    case Kw::LineSpacing: p.lineSpacing = Twips(t); break;
    case Kw::LineSpacingMultiple: p.lineMultiple = on; break;
    case Kw::TabStop:
        if (p.tabCount < static_cast<int>(p.tabStops.size())) {
            p.tabStops[static_cast<std::size_t>(p.tabCount++)] = TabStop{Twips(t, 0), p.nextTabKind, p.nextTabLeader};
        }
        p.nextTabKind = TabKind::Left;
        p.nextTabLeader = TabLeader::None;
        break;
    case Kw::TabLeader: p.nextTabLeader = static_cast<TabLeader>(character); break;
    case Kw::TabRight: p.nextTabKind = TabKind::Right; break;
    case Kw::TabCenter: p.nextTabKind = TabKind::Center; break;
    case Kw::TabDecimal: p.nextTabKind = TabKind::Decimal; break;
    case Kw::TabBar:  // a vertical line, not a stop
        p.nextTabKind = TabKind::Left;
        p.nextTabLeader = TabLeader::None;
        break;
    case Kw::ParaShading: p.shading = std::max(0, t.param); break;
    case Kw::ParaShadingPercent: p.shadingPercent = std::clamp(t.param, 0, 10000); break;
    case Kw::Style: p.style = t.param; break;
    case Kw::ListIndex: p.list = std::max(0, t.param); break;
    case Kw::ListLevelIndex: p.listLevel = std::clamp(t.param, 0, 8); break;
    case Kw::ContextualSpace: p.contextual = true; break;

    case Kw::NoteMark:
        if (Shows()) {
            const int number = TopFrame().target == Target::Notes ? noteCount_ : noteCount_ + 1;
            BeforeText();
            Out().AddText(QString::number(std::max(number, 1)), c);
        }
        break;
    case Kw::Line:
        if (Shows()) BeforeText(), Out().AddUnit(QChar::LineSeparator, c);
        break;
    case Kw::Tab:
        if (Shows()) BeforeText(), Out().AddUnit(u'\t', c);
        break;
    case Kw::Special:
        if (Shows()) BeforeText(), Out().AddUnit(character, c);
        break;
    default:
        OnTableWord(kw, t);
        break;
    }
}

void RtfParser::OnTableWord(Kw kw, const Token& t) {
    Group& g = Top();
    ParaState& p = g.para;
    const int value = t.hasParam ? t.param : 0;
    // \brdrXXX words describe the cell side named last, else the paragraph's.
    std::array<BorderSide*, 4> sides{};
    if (borderTarget_ >= 0) {
        sides[0] = &RowFor(RowDepth()).next.borders[static_cast<std::size_t>(borderTarget_)];
    } else if (p.borderSide == 4) {
        for (std::size_t i = 0; i < 4; ++i) sides[i] = &p.borders.sides[i];
    } else if (p.borderSide >= 0) {
        sides[0] = &p.borders.sides[static_cast<std::size_t>(p.borderSide)];
    }
    const auto forSides = [&](auto&& change) {
        for (BorderSide* side : sides)
            if (side) change(*side);
    };
    switch (kw) {
    case Kw::InTable: p.tableDepth = std::max(p.tableDepth, 1); break;
    case Kw::TableDepth: p.tableDepth = std::clamp(value, 0, TableBuilder::kMaxDepth); break;
    case Kw::RowDefaults:
        RowFor(RowDepth()) = RowDef{};
        borderTarget_ = -1;
        break;
    case Kw::CellRight: {
        RowDef& row = RowFor(RowDepth());
        if (row.cells.size() < kMaxCells) {
            CellDef cell = row.next;
            cell.right = Twips(t);
            row.cells.push_back(cell);
        }
        row.next = CellDef{};
        borderTarget_ = -1;
        break;
    }
    case Kw::RowAlignLeft: RowFor(RowDepth()).align = Align::Left; break;
    case Kw::RowAlignCenter: RowFor(RowDepth()).align = Align::Center; break;
    case Kw::RowAlignRight: RowFor(RowDepth()).align = Align::Right; break;
    case Kw::RowLeft: RowFor(RowDepth()).left = Twips(t); break;
    case Kw::RowGap: RowFor(RowDepth()).gap = Twips(t, 0); break;
    case Kw::CellBorderTop: borderTarget_ = static_cast<int>(Side::Top); break;
    case Kw::CellBorderLeft: borderTarget_ = static_cast<int>(Side::Left); break;
    case Kw::CellBorderBottom: borderTarget_ = static_cast<int>(Side::Bottom); break;
    case Kw::CellBorderRight: borderTarget_ = static_cast<int>(Side::Right); break;
    case Kw::RowBorder:
        borderTarget_ = -1;  // borders of rows are drawn by their cells
        p.borderSide = -1;
        break;
    case Kw::BorderTop: borderTarget_ = -1, p.borderSide = static_cast<int>(Side::Top); break;
    case Kw::BorderLeft: borderTarget_ = -1, p.borderSide = static_cast<int>(Side::Left); break;
    case Kw::BorderBottom: borderTarget_ = -1, p.borderSide = static_cast<int>(Side::Bottom); break;
    case Kw::BorderRight: borderTarget_ = -1, p.borderSide = static_cast<int>(Side::Right); break;
    case Kw::BorderBox: borderTarget_ = -1, p.borderSide = 4; break;
    case Kw::BorderSingle:
    case Kw::BorderDouble:
    case Kw::BorderDotted:
    case Kw::BorderDashed:
        forSides([&](BorderSide& side) {
            side.doubled = kw == Kw::BorderDouble;
            side.line = kw == Kw::BorderDotted ? BorderLine::Dotted : kw == Kw::BorderDashed ? BorderLine::Dashed : BorderLine::Solid;
            if (side.width == 0) side.width = 15;
        });
        break;
    case Kw::BorderNone:
        forSides([](BorderSide& side) { side = BorderSide{}; });
        break;
    case Kw::BorderWidth:
        forSides([&](BorderSide& side) { side.width = std::clamp(value, 0, 1440); });
        break;
    case Kw::BorderColor:
        forSides([&](BorderSide& side) { side.color = std::max(0, value); });
        break;
    case Kw::BorderSpace:
        if (borderTarget_ < 0 && p.borderSide >= 0) p.borders.space = std::clamp(value, 0, 1440);
        break;
    case Kw::CellShading: RowFor(RowDepth()).next.shading = std::max(0, value); break;
    case Kw::CellShadingPercent: RowFor(RowDepth()).next.shadingPercent = std::clamp(value, 0, 10000); break;
    case Kw::CellMergeFirst: RowFor(RowDepth()).next.horizontalMerge = 1; break;
    case Kw::CellMerge: RowFor(RowDepth()).next.horizontalMerge = 2; break;
    case Kw::CellVerticalMergeFirst: RowFor(RowDepth()).next.verticalMerge = 1; break;
    case Kw::CellVerticalMerge: RowFor(RowDepth()).next.verticalMerge = 2; break;

    case Kw::Cell:
    case Kw::NestedCell: {
        const int depth = kw == Kw::Cell ? 1 : std::max(2, p.tableDepth);
        p.tableDepth = std::max(p.tableDepth, depth);
        BeforeText();
        Out().EndCell(depth, p, g.chr);
        labelWritten_ = false;
        break;
    }
    case Kw::RowEnd:
    case Kw::NestedRowEnd: {
        const int depth = kw == Kw::RowEnd ? 1 : std::max(2, p.tableDepth);
        Out().EndRow(depth, RowFor(depth));
        break;
    }
    default:
        break;
    }
}

void RtfParser::OnFontTableWord(Kw kw, const Token& t) {
    switch (kw) {
    case Kw::Font:
        CommitFont();
        fontNumber_ = t.hasParam ? std::max(0, t.param) : -1;
        fontCodePage_ = 0;
        fontCodePageExplicit_ = false;
        fontSymbol_ = false;
        fontKind_ = 0;
        break;
    case Kw::FontCharset:
        fontSymbol_ = t.param == 2;
        if (!fontCodePageExplicit_) fontCodePage_ = CodePageForCharset(t.param);
        break;
    case Kw::FontCodePage:
        fontCodePage_ = std::max(0, t.param);
        fontCodePageExplicit_ = true;
        break;
    case Kw::FontRoman: fontKind_ = 'r'; break;
    case Kw::FontSwiss: fontKind_ = 's'; break;
    case Kw::FontModern: fontKind_ = 'm'; break;
    default:
        break;
    }
}

void RtfParser::OnPictWord(Kw kw, const Token& t) {
    const int value = t.hasParam ? t.param : 0;
    switch (kw) {
    case Kw::PngBlip: picture_.type = Picture::Type::Png; break;
    case Kw::JpegBlip: picture_.type = Picture::Type::Jpeg; break;
    case Kw::DibBitmap: picture_.type = Picture::Type::Dib; break;
    case Kw::DeviceBitmap: picture_.type = Picture::Type::DeviceBitmap; break;
    case Kw::Metafile: picture_.type = Picture::Type::Metafile; break;
    case Kw::PicW: picture_.picW = value; break;
    case Kw::PicH: picture_.picH = value; break;
    case Kw::PicWGoal: picture_.goalW = value; break;
    case Kw::PicHGoal: picture_.goalH = value; break;
    case Kw::PicScaleX: picture_.scaleX = value > 0 ? std::min(value, 10000) : 100; break;
    case Kw::PicScaleY: picture_.scaleY = value > 0 ? std::min(value, 10000) : 100; break;
    case Kw::BitmapBitsPerPixel: picture_.bitsPerPixel = value; break;
    case Kw::BitmapWidthBytes: picture_.widthBytes = value; break;
    default: break;
    }
}

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

void RtfParser::AddUnicode(std::int32_t param) {
    // \uN is a signed 16-bit number; writers put characters above 32767 as
    // negative values.
    long long value = param < 0 ? static_cast<long long>(param) + 65536 : param;
    Group& g = Top();
    if (TopFrame().dest == Dest::LevelText) {
        if (value > 0 && value < 0x10000 && !listBeingRead_.empty() && listBeingRead_.back().text.size() < 64) {
            listBeingRead_.back().text += QChar(static_cast<char16_t>(value));
        }
        pendingSkip_ = g.frame.unicodeSkip;
        return;
    }
    if (Shows()) BeforeText();
    if (value >= 0xF020 && value <= 0xF0FF && Shows()) {
        // A symbol font's glyph written at U+F000 plus its byte, as list
        // labels often are: the character of that byte in the font.
        const char byte = static_cast<char>(value & 0xFF);
        const int codePage = CodePageFor(g.chr);
        Out().AddText(textDecoder_.Decode(codePage == kSymbolFontPage || codePage == kWingdingsFontPage ? codePage : 1252,
                                          std::string_view(&byte, 1)),
                      g.chr);
    } else if (value >= 0 && Shows()) {
        Out().AddCodePoint(static_cast<char32_t>(value), g.chr);
    }
    pendingSkip_ = g.frame.unicodeSkip;  // the fallback text that stands in for it
}

void RtfParser::EndParagraph() {
    if (!Top().chr.hidden) BeforeText();
    Out().EndParagraph(Top().para, Top().chr);
    labelWritten_ = false;
    lastParagraphNumbered_ = paragraphNumbered_;
    paragraphNumbered_ = false;
}

// The notes are gathered in a document of their own and follow the text,
// numbered as their marks are.
void RtfParser::StartNote() {
    Frame& f = TopFrame();
    if (f.target == Target::Notes) {  // a note in a note: no word processor writes one
        f.dest = Dest::Skip;
        return;
    }
    if (!notes_) {
        notesDoc_.setDefaultFont(doc_.defaultFont());
        notes_ = std::make_unique<DocumentBuilder>(notesDoc_, doc_, tables_, rowDefs_);
    }
    ++noteCount_;
    f.target = Target::Notes;
    f.owns |= kNote;
    Top().para = ParaState{};
}

void RtfParser::StartLink() {
    const QString target = LinkTarget(textDecoder_.Decode(tables_.codePage, fieldInst_));
    fieldInst_.clear();
    if (target.isEmpty()) return;
    tables_.links.push_back(target);
    Top().chr.link = static_cast<int>(tables_.links.size() - 1);
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

void RtfParser::CommitFont() {
    if (fontNumber_ >= 0) {
        int codePage = fontCodePage_ > 0 ? fontCodePage_ : tables_.codePage;
        QString name = textDecoder_.Decode(codePage, fontName_).trimmed();
        if (!name.isEmpty()) tables_.fonts[fontNumber_] = FontEntry{name, fontCodePage_, fontKind_, fontSymbol_};
    }
    fontNumber_ = -1;
    fontName_.clear();
}

void RtfParser::CommitColor() {
    if (colorSet_) {
        tables_.colors.emplace_back(QColor(red_, green_, blue_));
    } else {
        tables_.colors.emplace_back(std::nullopt);  // "automatic"
    }
    red_ = green_ = blue_ = 0;
    colorSet_ = false;
}

void RtfParser::FinishPicture() {
    Picture p = std::move(picture_);
    picture_ = Picture{};
    QString alternative = std::move(pictureAlt_);
    pictureAlt_.clear();
    if (!p.shown) return;

    QImage image;
    QSize natural;  // in pixels
    const auto withinBudget = [&](QSize size) {
        if (!size.isValid() || size.isEmpty()) return false;
        const long long pixels = static_cast<long long>(size.width()) * size.height();
        if (pixels > kPictureBudget - picturePixels_) return false;  // a picture bomb, or just too much
        picturePixels_ += pixels;
        return true;
    };
    switch (p.type) {
    case Picture::Type::Png:
    case Picture::Type::Jpeg: {
        QByteArray bytes = QByteArray::fromRawData(p.data.data(), static_cast<qsizetype>(p.data.size()));
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::ReadOnly)) return;
        QImageReader reader(&buffer, p.type == Picture::Type::Png ? "png" : "jpeg");
        if (!withinBudget(reader.size()) || !reader.read(&image)) return;
        break;
    }
    case Picture::Type::Dib:
        if (!withinBudget(DibSize(p.data))) return;
        image = DecodeDib(p.data);
        break;
    case Picture::Type::DeviceBitmap:
        if (!withinBudget(QSize(p.picW, p.picH))) return;
        image = DecodeDeviceBitmap(p.data, p.picW, p.picH, p.bitsPerPixel, p.widthBytes);
        break;
    case Picture::Type::Metafile:
        // Metafiles are drawing programs of another system; one that only
        // shows a bitmap shows that bitmap.
        if (const std::string dib = MetafileBitmap(p.data); !dib.empty() && withinBudget(DibSize(dib))) {
            image = DecodeDib(dib);
        }
        break;
    case Picture::Type::Unknown:
        break;
    }
    const bool drawable = !image.isNull() || (p.type != Picture::Type::Metafile && p.type != Picture::Type::Unknown);
    if (drawable && image.isNull()) return;  // damaged: there is nothing to show of it
    if (drawable && p.type != Picture::Type::Metafile) {
        natural = image.size();
    } else if (p.picW > 0 && p.picH > 0) {
        natural = QSize(static_cast<int>(std::min(p.picW / kHimetricPerPixel, 20000.0)),
                        static_cast<int>(std::min(p.picH / kHimetricPerPixel, 20000.0)));
    } else if (!image.isNull()) {
        natural = image.size();
    }

    double width = p.goalW > 0 ? p.goalW / kTwipsPerPixel : natural.width();
    double height = p.goalH > 0 ? p.goalH / kTwipsPerPixel : natural.height();
    if (width <= 0 || height <= 0) width = height = 32;  // a metafile that gives no size
    width = std::clamp(width * p.scaleX / 100.0, 1.0, 20000.0);
    height = std::clamp(height * p.scaleY / 100.0, 1.0, 20000.0);
    if (!drawable) {
        // Any other metafile: a framed box of the picture's size stands in
        // for it, with its alternative text.
        QSize box(static_cast<int>(width), static_cast<int>(height));
        if (!withinBudget(box.boundedTo(QSize(2048, 2048)))) box = QSize(16, 16);
        image = PicturePlaceholder(box, alternative);
    }
    BeforeText();
    Out().AddImage(image, width, height, Top().chr, alternative);
}

}  // namespace orvane::rtf
