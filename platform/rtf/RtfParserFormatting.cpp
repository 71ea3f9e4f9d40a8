// Character and paragraph formatting words, and the font and colour tables
// that formatting refers to.
#include "RtfParser.h"

#include <QTextOption>

#include <algorithm>

namespace orvane::rtf {
namespace {

constexpr int kMaxHalfPoints = 3276;  // 1638 pt, the most a word processor offers

}  // namespace

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

}  // namespace orvane::rtf
