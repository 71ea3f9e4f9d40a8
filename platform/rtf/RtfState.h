#pragma once

#include <QColor>
#include <QString>

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace orvane::rtf {

// Character formatting as the control words set it; saved on "{" and
// restored on "}". Zero and -1 mean "not set": the document's default font
// then shows through.
struct CharState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int font = -1;        // \fN, -1 for the document's default font
    int halfPoints = 0;   // \fsN
    int foreColor = 0;    // \cfN, 0 = automatic
    int backColor = 0;    // \cbN / \highlightN, 0 = none
    int vertical = 0;     // 1 superscript, -1 subscript
    int caps = 0;         // 1 all capitals, 2 small capitals

    bool operator==(const CharState&) const = default;
};

enum class Align { Left, Center, Right, Justify };

// Paragraph formatting, in twips; it holds until \pard.
struct ParaState {
    Align align = Align::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0;  // \slN: >0 at least, <0 exactly, 0 single
    bool lineMultiple = false;
    std::array<int, 16> tabStops{};  // \txN, from the left edge; further ones are dropped
    int tabCount = 0;

    bool operator==(const ParaState&) const = default;
};

struct FontEntry {
    QString family;
    int codePage = 0;  // 0: the document's code page
};

// What the document's header declares and the body refers to.
struct DocumentTables {
    std::map<int, FontEntry> fonts;
    std::vector<std::optional<QColor>> colors;  // index 0 is "automatic"
    int defaultFont = -1;
    int codePage = 1252;

    const FontEntry* FontFor(int index) const {
        auto it = fonts.find(index < 0 ? defaultFont : index);
        return it == fonts.end() ? nullptr : &it->second;
    }
    const QColor* ColorFor(int index) const {
        if (index <= 0 || static_cast<std::size_t>(index) >= colors.size() || !colors[index]) return nullptr;
        return &*colors[index];
    }
};

}  // namespace orvane::rtf
