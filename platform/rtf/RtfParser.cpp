#include "RtfParser.h"

#include <QTextOption>

#include <algorithm>
#include <limits>

#include "Units.h"

namespace orvane::rtf {
namespace {

constexpr std::size_t kMaxFontName = 256;
constexpr std::size_t kMaxCollected = 4096;  // field instructions and shape property values
constexpr int kDefaultTabTwips = 720;

int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

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

int RtfParser::Twips(const Token& t, int low) { return std::clamp(t.hasParam ? t.param : 0, low, kMaxTwips); }

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

}  // namespace orvane::rtf
