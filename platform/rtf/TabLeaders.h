#pragma once

#include <QFontMetricsF>
#include <QStringView>
#include <QTextBlock>
#include <QTextFormat>
#include <QTextOption>

#include <array>
#include <optional>
#include <unordered_map>
#include <vector>

#include "RtfState.h"

namespace orvane::rtf {

// Qt's tab stops have no leader. A tab that lands on a stop with one keeps
// its place in the text and gets a character format whose lines Qt draws
// along the tab's whole width: dots, dashes, a line, a thick line, or two
// lines for "=". The leader is kept in kTabLeaderProperty.
inline constexpr int kTabLeaderProperty = QTextFormat::UserProperty + 0x5254;

struct LeaderStop {
    double position = 0;  // pixels from where the paragraph's first line starts
    QTextOption::TabType type = QTextOption::LeftTab;
    TabLeader leader = TabLeader::None;
};

TabLeader LeaderOf(const QTextCharFormat& format);

// Widths of text by the formats of a document, characters summed. Fonts
// can be measured only in a running application; elsewhere (a reader run
// on its own) a character is taken as half an em of its font.
class TextWidths {
public:
    struct Font {
        std::optional<QFontMetricsF> metrics;
        double halfEm = 8;
        std::array<double, 256> latin{};  // widths measured so far, -1 not yet
    };
    TextWidths();
    ~TextWidths();
    TextWidths(const TextWidths&) = delete;
    TextWidths& operator=(const TextWidths&) = delete;

    Font& FontOf(const QTextFragment& fragment, const QFont& defaultFont);
    static double Of(Font& font, QStringView text);

private:
    bool measured_;
    std::unordered_map<int, Font> fonts_;  // by the document's format index
};

// Finds the stop each tab of the block lands on, estimating the text's
// width from its fonts, and marks the tabs that land on a stop with a
// leader. stops are sorted by position; defaultStop is the distance
// between the stops the paragraph does not set.
void MarkTabLeaders(const QTextBlock& block, const std::vector<LeaderStop>& stops, double defaultStop, TextWidths& widths);

}  // namespace orvane::rtf
