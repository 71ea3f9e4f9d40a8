#pragma once

#include <QTextBlock>
#include <QTextFormat>
#include <QTextOption>

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

// Finds the stop each tab of the block lands on, estimating the text's
// width from its fonts, and marks the tabs that land on a stop with a
// leader. stops are sorted by position; defaultStop is the distance
// between the stops the paragraph does not set.
void MarkTabLeaders(const QTextBlock& block, const std::vector<LeaderStop>& stops, double defaultStop);

}  // namespace orvane::rtf
