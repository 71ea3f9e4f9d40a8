#include "RtfParser.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <limits>

namespace orvane::rtf {
namespace {

constexpr int kMaxTwips = 31680;        // 22 inches: more than any page is wide
constexpr int kMaxHalfPoints = 3276;    // 1638 pt, the most a word processor offers
constexpr std::size_t kMaxFontName = 256;
constexpr double kTwipsPerPixel = 15.0;

int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int Twips(const Token& t, int low = -kMaxTwips) { return std::clamp(t.hasParam ? t.param : 0, low, kMaxTwips); }

}  // namespace

RtfParser::RtfParser(std::string_view rtf, QTextDocument& doc)
    : tokenizer_(rtf), builder_(doc, tables_) {
    stack_.reserve(64);
    stack_.emplace_back();  // the state outside every group
}

void RtfParser::Run() {
    for (;;) {
        Token t = tokenizer_.Next();
        switch (t.kind) {
        case TokenKind::End:
            builder_.Finish(Top().para);  // a document that lost its closing braces
            return;
        case TokenKind::GroupStart:
            OpenGroup();
            break;
        case TokenKind::GroupEnd:
            if (!CloseGroup()) return;  // whatever follows the document is not part of it
            break;
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
            if (Top().starPending) {
                Top().dest = Dest::Skip;
            } else if (!ConsumeUnicodeSkip() && Top().dest == Dest::Pict) {
                picture_.data.append(t.text);
                picture_.nibble = -1;
            }
            break;
        }
    }
}

void RtfParser::OpenGroup() {
    pendingSkip_ = 0;
    if (stack_.size() > kMaxDepth) {
        ++overflowDepth_;  // too deep: keep counting braces, share the state
        return;
    }
    Group g = Top();
    g.starPending = false;
    g.ownsPicture = false;
    stack_.push_back(g);
}

bool RtfParser::CloseGroup() {
    pendingSkip_ = 0;
    if (overflowDepth_ > 0) {
        --overflowDepth_;
        return true;
    }
    Group& g = Top();
    if (g.ownsPicture) FinishPicture();
    if (g.dest == Dest::FontTable) CommitFont();
    if (stack_.size() <= 2) {
        builder_.Finish(g.para);
        stack_.resize(1);
        return false;
    }
    stack_.pop_back();
    return true;
}

bool RtfParser::ConsumeUnicodeSkip() {
    if (pendingSkip_ <= 0) return false;
    --pendingSkip_;
    return true;
}

bool RtfParser::Shows() { return Top().dest == Dest::Normal && !Top().chr.hidden; }

int RtfParser::CodePageFor(const CharState& chr) const {
    const FontEntry* font = tables_.FontFor(chr.font);
    return font && font->codePage > 0 ? font->codePage : tables_.codePage;
}

void RtfParser::OnByte(unsigned char byte, bool escaped) {
    Group& g = Top();
    if (g.starPending) {  // "{\*" followed by text: nothing we know
        g.starPending = false;
        g.dest = Dest::Skip;
    }
    if (g.dest == Dest::Skip || ConsumeUnicodeSkip()) return;
    switch (g.dest) {
    case Dest::Normal:
        if (!g.chr.hidden) builder_.AddByte(byte, CodePageFor(g.chr), g.chr);
        break;
    case Dest::FontTable:
        if (byte == ';' && !escaped) {
            CommitFont();
        } else if (fontNumber_ >= 0 && fontName_.size() < kMaxFontName) {
            fontName_.push_back(static_cast<char>(byte));
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
    case Dest::Skip:
        break;
    }
}

void RtfParser::OnSymbol(char symbol) {
    if (symbol == '*') {
        Top().starPending = true;
        return;
    }
    if (symbol == '\\' || symbol == '{' || symbol == '}') {
        OnByte(static_cast<unsigned char>(symbol), true);
        return;
    }
    Group& g = Top();
    if (g.starPending) {
        g.starPending = false;
        g.dest = Dest::Skip;
    }
    if (g.dest == Dest::Skip || ConsumeUnicodeSkip()) return;
    switch (symbol) {
    case '\n':
        if (g.dest == Dest::Normal) builder_.EndParagraph(g.para, g.chr);
        break;
    case '~':
        if (Shows()) builder_.AddUnit(0x00A0, g.chr);
        break;
    case '-':
        if (Shows()) builder_.AddUnit(0x00AD, g.chr);
        break;
    case '_':
        if (Shows()) builder_.AddUnit(0x2011, g.chr);
        break;
    default:
        break;  // \| \: and the like mark index entries and formulas
    }
}

void RtfParser::OnWord(const Token& t) {
    Keyword k = LookupKeyword(t.text);
    Group& g = Top();
    if (g.starPending) {
        // "{\*\word": a destination a reader may ignore. Of those only the
        // shape picture is worth showing.
        g.starPending = false;
        if (k.kw != Kw::ShpPict && k.kw != Kw::Pict) {
            g.dest = Dest::Skip;
            return;
        }
    }
    if (g.dest == Dest::Skip || ConsumeUnicodeSkip()) return;
    if (k.kw == Kw::UnicodeSkip) {
        g.unicodeSkip = std::max(0, t.hasParam ? t.param : 1);
        return;
    }
    switch (g.dest) {
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
    case Dest::Skip:
        break;
    }
}

void RtfParser::OnBodyWord(Kw kw, char16_t character, const Token& t) {
    Group& g = Top();
    CharState& c = g.chr;
    ParaState& p = g.para;
    const bool on = !t.hasParam || t.param != 0;
    switch (kw) {
    case Kw::FontTable:
        g.dest = Dest::FontTable;
        fontNumber_ = -1;
        fontName_.clear();
        break;
    case Kw::ColorTable:
        g.dest = Dest::ColorTable;
        tables_.colors.clear();
        red_ = green_ = blue_ = 0;
        colorSet_ = false;
        break;
    case Kw::Pict:
        g.dest = Dest::Pict;
        g.ownsPicture = true;
        picture_ = Picture{};
        break;
    case Kw::ShpPict:
        break;  // its \pict is read like any other
    case Kw::NonShpPict:  // the same picture again, for older readers
    case Kw::SkipDestination:
        g.dest = Dest::Skip;
        break;

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
    case Kw::Unicode:
        AddUnicode(t.param);
        break;

    case Kw::Font:
        if (t.hasParam && tables_.fonts.count(t.param)) c.font = t.param;
        break;
    case Kw::Plain: c = CharState{}; break;
    case Kw::Bold: c.bold = on; break;
    case Kw::Italic: c.italic = on; break;
    case Kw::Underline: c.underline = on; break;
    case Kw::UnderlineNone: c.underline = false; break;
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
    case Kw::NoSuperSub: c.vertical = 0; break;
    case Kw::Caps: c.caps = on ? 1 : 0; break;
    case Kw::SmallCaps: c.caps = on ? 2 : 0; break;

    case Kw::Par: builder_.EndParagraph(p, c); break;
    case Kw::Pard: p = ParaState{}; break;
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
        if (p.tabCount < static_cast<int>(p.tabStops.size())) p.tabStops[p.tabCount++] = Twips(t, 0);
        break;

    case Kw::Line:
        if (Shows()) builder_.AddUnit(QChar::LineSeparator, c);
        break;
    case Kw::Tab:
    case Kw::Cell:
        if (Shows()) builder_.AddUnit(u'\t', c);
        break;
    case Kw::Special:
        if (Shows()) builder_.AddUnit(character, c);
        break;
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
        break;
    case Kw::FontCharset:
        if (!fontCodePageExplicit_) fontCodePage_ = CodePageForCharset(t.param);
        break;
    case Kw::FontCodePage:
        fontCodePage_ = std::max(0, t.param);
        fontCodePageExplicit_ = true;
        break;
    default:
        break;
    }
}

void RtfParser::OnPictWord(Kw kw, const Token& t) {
    const int value = t.hasParam ? t.param : 0;
    switch (kw) {
    case Kw::PngBlip: picture_.type = Picture::Type::Png; break;
    case Kw::JpegBlip: picture_.type = Picture::Type::Jpeg; break;
    case Kw::OtherBlip: picture_.type = Picture::Type::Other; break;
    case Kw::PicW: picture_.picW = value; break;
    case Kw::PicH: picture_.picH = value; break;
    case Kw::PicWGoal: picture_.goalW = value; break;
    case Kw::PicHGoal: picture_.goalH = value; break;
    case Kw::PicScaleX: picture_.scaleX = value > 0 ? std::min(value, 10000) : 100; break;
    case Kw::PicScaleY: picture_.scaleY = value > 0 ? std::min(value, 10000) : 100; break;
    default: break;
    }
}

void RtfParser::AddUnicode(std::int32_t param) {
    // \uN is a signed 16-bit number; writers put characters above 32767 as
    // negative values.
    long long value = param < 0 ? static_cast<long long>(param) + 65536 : param;
    Group& g = Top();
    if (value >= 0 && Shows()) builder_.AddCodePoint(static_cast<char32_t>(value), g.chr);
    pendingSkip_ = g.unicodeSkip;  // the fallback text that stands in for it
}

void RtfParser::CommitFont() {
    if (fontNumber_ >= 0) {
        int codePage = fontCodePage_ > 0 ? fontCodePage_ : tables_.codePage;
        QString name = fontNameDecoder_.Decode(codePage, fontName_).trimmed();
        if (!name.isEmpty()) tables_.fonts[fontNumber_] = FontEntry{name, fontCodePage_};
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
    if (p.type != Picture::Type::Png && p.type != Picture::Type::Jpeg) return;  // metafiles and DIBs: not shown

    QByteArray bytes = QByteArray::fromRawData(p.data.data(), static_cast<qsizetype>(p.data.size()));
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly)) return;
    QImageReader reader(&buffer, p.type == Picture::Type::Png ? "png" : "jpeg");
    QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) return;
    long long pixels = static_cast<long long>(size.width()) * size.height();
    if (pixels > kPictureBudget - picturePixels_) return;  // a picture bomb, or just too much
    QImage image;
    if (!reader.read(&image) || image.isNull()) return;
    picturePixels_ += pixels;

    double width = p.goalW > 0 ? p.goalW / kTwipsPerPixel : image.width();
    double height = p.goalH > 0 ? p.goalH / kTwipsPerPixel : image.height();
    width = std::clamp(width * p.scaleX / 100.0, 1.0, 20000.0);
    height = std::clamp(height * p.scaleY / 100.0, 1.0, 20000.0);
    builder_.AddImage(image, width, height, Top().chr);
}

}  // namespace orvane::rtf
