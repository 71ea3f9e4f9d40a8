#include "TabLeaders.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace orvane::rtf {
namespace {

QTextCharFormat LeaderFormat(TabLeader leader) {
    QTextCharFormat f;
    f.setProperty(kTabLeaderProperty, static_cast<int>(leader));
    switch (leader) {
    case TabLeader::None: break;
    case TabLeader::Dots:
    case TabLeader::MiddleDots: f.setUnderlineStyle(QTextCharFormat::DotLine); break;
    case TabLeader::Hyphens: f.setUnderlineStyle(QTextCharFormat::DashUnderline); break;
    case TabLeader::Underline: f.setUnderlineStyle(QTextCharFormat::SingleUnderline); break;
    case TabLeader::ThickLine:
        f.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        f.setFontWeight(QFont::Bold);  // a bold font draws its lines thicker
        break;
    case TabLeader::Equals:
        f.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        f.setFontStrikeOut(true);
        break;
    }
    return f;
}


// Follows the pen along the first line as the tabs move it.
class TabWalk {
public:
    TabWalk(const std::vector<LeaderStop>& stops, double defaultStop) : stops_(stops), defaultStop_(defaultStop) {}

    void Advance(double width) {
        run_ += width;
        switch (type_) {
        case QTextOption::LeftTab: x_ = anchor_ + run_; break;
        case QTextOption::RightTab:
        case QTextOption::DelimiterTab: x_ = std::max(anchor_, start_ + run_); break;
        case QTextOption::CenterTab: x_ = std::max(anchor_ + run_ / 2, start_ + run_); break;
        }
    }
    // A tab: returns the leader of the stop it lands on.
    TabLeader Tab() {
        auto stop = std::find_if(stops_.begin(), stops_.end(), [&](const LeaderStop& s) { return s.position > x_ + 0.5; });
        start_ = x_;
        run_ = 0;
        if (stop == stops_.end()) {
            type_ = QTextOption::LeftTab;
            anchor_ = defaultStop_ > 0 ? (std::floor(x_ / defaultStop_) + 1) * defaultStop_ : x_;
            x_ = anchor_;
            return TabLeader::None;
        }
        type_ = stop->type;
        anchor_ = stop->position;
        x_ = type_ == QTextOption::LeftTab ? anchor_ : std::max(anchor_, start_);
        return stop->leader;
    }
    void NewLine() {
        x_ = start_ = anchor_ = run_ = 0;
        type_ = QTextOption::LeftTab;
    }

private:
    const std::vector<LeaderStop>& stops_;
    double defaultStop_;
    double x_ = 0, start_ = 0, anchor_ = 0, run_ = 0;
    QTextOption::TabType type_ = QTextOption::LeftTab;
};

}  // namespace

TabLeader LeaderOf(const QTextCharFormat& format) {
    const int value = format.intProperty(kTabLeaderProperty);
    return value > 0 && value <= static_cast<int>(TabLeader::Equals) ? static_cast<TabLeader>(value) : TabLeader::None;
}

TextWidths::TextWidths()
    : measured_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {}

TextWidths::~TextWidths() = default;

TextWidths::Font& TextWidths::FontOf(const QTextFragment& fragment, const QFont& defaultFont) {
    auto [it, added] = fonts_.try_emplace(fragment.charFormatIndex());
    Font& font = it->second;
    if (added) {
        const QFont f = fragment.charFormat().font().resolve(defaultFont);
        font.halfEm = (f.pointSizeF() > 0 ? f.pointSizeF() * 96.0 / 72.0 : f.pixelSize() > 0 ? f.pixelSize() : 16.0) / 2;
        if (measured_) font.metrics.emplace(f);
        font.latin.fill(-1);
    }
    return font;
}

double TextWidths::Of(Font& font, QStringView text) {
    double width = 0;
    for (QChar c : text) {
        if (!font.metrics) {
            width += font.halfEm;
        } else if (c.unicode() < font.latin.size()) {
            double& known = font.latin[c.unicode()];
            if (known < 0) known = font.metrics->horizontalAdvance(c);
            width += known;
        } else {
            width += font.metrics->horizontalAdvance(c);
        }
    }
    return width;
}

void MarkTabLeaders(const QTextBlock& block, const std::vector<LeaderStop>& stops, double defaultStop, TextWidths& widths) {
    if (stops.empty() || !block.text().contains(u'\t')) return;
    if (std::none_of(stops.begin(), stops.end(), [](const LeaderStop& s) { return s.leader != TabLeader::None; })) return;
    QTextDocument* doc = const_cast<QTextDocument*>(block.document());  // the block is in doc, which the builder owns
    TabWalk walk(stops, defaultStop);
    std::vector<std::pair<int, TabLeader>> marks;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QString text = fragment.text();
        TextWidths::Font& font = widths.FontOf(fragment, doc->defaultFont());
        qsizetype from = 0;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            const bool end = i == text.size();
            if (!end && text[i] != u'\t' && text[i] != QChar::LineSeparator) continue;
            if (i > from) walk.Advance(widths.Of(font, QStringView(text).mid(from, i - from)));
            from = i + 1;
            if (end) break;
            if (text[i] == QChar::LineSeparator) {
                walk.NewLine();
                continue;
            }
            if (const TabLeader leader = walk.Tab(); leader != TabLeader::None)
                marks.emplace_back(fragment.position() + static_cast<int>(i), leader);
        }
    }
    QTextCursor cursor(doc);
    for (const auto& [position, leader] : marks) {
        cursor.setPosition(position);
        cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(LeaderFormat(leader));
    }
}

}  // namespace orvane::rtf
