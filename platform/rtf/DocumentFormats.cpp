// The character and paragraph formats the document's text gets: fonts,
// sizes, underlines, links, indents, spacing and tab stops.
#include "DocumentBuilder.h"

#include <QBrush>
#include <QFont>
#include <QTextBlockFormat>

#include <algorithm>

#include "DoubleUnderline.h"
#include "Units.h"

namespace orvane::rtf {
namespace {

const QColor kLinkColor(5, 99, 193);

QTextCharFormat::UnderlineStyle UnderlineStyleFor(Underline u) {
    switch (u) {
    case Underline::None: return QTextCharFormat::NoUnderline;
    case Underline::Dotted: return QTextCharFormat::DotLine;
    case Underline::Dash: return QTextCharFormat::DashUnderline;
    case Underline::DashDot: return QTextCharFormat::DashDotLine;
    case Underline::DashDotDot: return QTextCharFormat::DashDotDotLine;
    case Underline::Wave: return QTextCharFormat::WaveUnderline;
    case Underline::Single:
    case Underline::Double:  // Qt draws one line; kDoubleUnderlineProperty asks for the second
        break;
    }
    return QTextCharFormat::SingleUnderline;
}

}  // namespace

// Qt measures tab stops from where the line starts; RTF from the left
// edge. A hanging first line also stops at the left indent, which is what
// puts list text after "\bullet\tab" in line with the lines below.
std::vector<LeaderStop> DocumentBuilder::TabStopsFor(const ParaState& p) {
    std::vector<LeaderStop> stops;
    const int leftIndent = std::max(p.leftIndent, -p.firstIndent);
    const int shift = leftIndent - p.leftIndent;
    const int firstLineStart = leftIndent + p.firstIndent;
    for (int i = 0; i < p.tabCount; ++i) {
        const TabStop& stop = p.tabStops[static_cast<std::size_t>(i)];
        const int at = stop.position + shift;
        if (at <= firstLineStart) continue;
        LeaderStop placed{(at - firstLineStart) / kTwipsPerPixel, QTextOption::LeftTab, stop.leader};
        switch (stop.kind) {
        case TabKind::Right: placed.type = QTextOption::RightTab; break;
        case TabKind::Center: placed.type = QTextOption::CenterTab; break;
        case TabKind::Decimal: placed.type = QTextOption::DelimiterTab; break;
        case TabKind::Left: break;
        }
        stops.push_back(placed);
    }
    if (p.firstIndent < 0) stops.push_back(LeaderStop{-p.firstIndent / kTwipsPerPixel});
    std::stable_sort(stops.begin(), stops.end(), [](const LeaderStop& a, const LeaderStop& b) { return a.position < b.position; });
    stops.erase(std::unique(stops.begin(), stops.end(), [](const LeaderStop& a, const LeaderStop& b) { return a.position == b.position; }), stops.end());
    return stops;
}

QString DocumentBuilder::FamilyFor(const FontEntry& font) {
    auto it = families_.find(font.family);
    if (it != families_.end()) return it->second;
    QString shown = font.family;
    if (shownFamilies_.size() >= kMaxFamilies && !shownFamilies_.contains(shown)) {
        // Each family is looked up among the system's fonts when it is laid
        // out; thousands of them freeze the window.
        shown = font.kind == 'r' ? QStringLiteral("serif") : font.kind == 'm' ? QStringLiteral("monospace") : QString();
    }
    if (!shown.isEmpty()) shownFamilies_.insert(shown);
    families_.emplace(font.family, shown);
    return shown;
}

QTextCharFormat DocumentBuilder::MakeCharFormat(const CharState& s) {
    QTextCharFormat f;
    if (s.bold) f.setFontWeight(QFont::Bold);
    if (s.italic) f.setFontItalic(true);
    if (s.underline != Underline::None) f.setUnderlineStyle(UnderlineStyleFor(s.underline));
    if (s.underline == Underline::Double) f.setProperty(kDoubleUnderlineProperty, true);
    if (s.strike) f.setFontStrikeOut(true);
    if (const FontEntry* font = tables_.FontFor(s.font); font && !font->family.isEmpty()) {
        if (QString family = FamilyFor(*font); !family.isEmpty()) f.setFontFamilies({family});
    }
    if (s.halfPoints > 0) f.setFontPointSize(s.halfPoints / 2.0);
    if (const QColor* c = tables_.ColorFor(s.foreColor)) f.setForeground(QBrush(*c));
    if (const QColor* c = tables_.ColorFor(s.backColor)) f.setBackground(QBrush(*c));
    if (s.vertical > 0) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    if (s.vertical < 0) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (s.raise != 0) {
        // \up and \dn count half-points; Qt counts percent of the font's height.
        const double points = s.halfPoints > 0 ? s.halfPoints / 2.0 : (doc_.defaultFont().pointSizeF() > 0 ? doc_.defaultFont().pointSizeF() : 12.0);
        f.setBaselineOffset(s.raise / 2.0 / points * 100.0);
    }
    if (s.expand != 0) {
        f.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        f.setFontLetterSpacing(s.expand / kTwipsPerPixel);
    }
    if (s.caps == 1) f.setFontCapitalization(QFont::AllUppercase);
    if (s.caps == 2) f.setFontCapitalization(QFont::SmallCaps);
    if (s.link > 0 && static_cast<std::size_t>(s.link) < tables_.links.size()) {
        const QString& target = tables_.links[static_cast<std::size_t>(s.link)];
        f.setAnchor(true);
        f.setAnchorHref(target);
        f.setToolTip(target);
        if (!tables_.ColorFor(s.foreColor)) f.setForeground(QBrush(kLinkColor));
        if (s.underline == Underline::None) f.setFontUnderline(true);
    }
    return f;
}

QTextBlockFormat DocumentBuilder::MakeBlockFormat(const ParaState& p) const {
    QTextBlockFormat f;
    switch (p.align) {
    case Align::Left: f.setAlignment(Qt::AlignLeft); break;
    case Align::Center: f.setAlignment(Qt::AlignHCenter); break;
    case Align::Right: f.setAlignment(Qt::AlignRight); break;
    case Align::Justify: f.setAlignment(Qt::AlignJustify); break;
    }
    // A first line that hangs left of the page is shifted right with the
    // whole paragraph, as word processors do, so its label stays visible.
    const int leftIndent = std::max(p.leftIndent, -p.firstIndent);
    if (leftIndent) f.setLeftMargin(leftIndent / kTwipsPerPixel);
    if (p.rightIndent) f.setRightMargin(p.rightIndent / kTwipsPerPixel);
    if (p.firstIndent) f.setTextIndent(p.firstIndent / kTwipsPerPixel);
    if (p.spaceBefore) f.setTopMargin(p.spaceBefore / kTwipsPerPixel);
    if (p.spaceAfter) f.setBottomMargin(p.spaceAfter / kTwipsPerPixel);
    QList<QTextOption::Tab> tabs;
    for (const LeaderStop& stop : TabStopsFor(p))
        tabs.append(QTextOption::Tab(stop.position, stop.type, stop.type == QTextOption::DelimiterTab ? QChar(u'.') : QChar()));
    if (!tabs.isEmpty()) f.setTabPositions(tabs);
    if (p.lineSpacing != 0) {
        if (p.lineMultiple) {
            // \slN\slmult1: N/240 lines
            f.setLineHeight(std::abs(p.lineSpacing) * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        } else if (p.lineSpacing > 0) {
            f.setLineHeight(p.lineSpacing / kTwipsPerPixel, QTextBlockFormat::MinimumHeight);
        } else {
            f.setLineHeight(-p.lineSpacing / kTwipsPerPixel, QTextBlockFormat::FixedHeight);
        }
    }
    if (const auto shading = tables_.ShadingFor(p.shading, p.shadingPercent)) f.setBackground(*shading);
    return f;
}

}  // namespace orvane::rtf
