#pragma once

#include <QTextDocument>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "DocumentBuilder.h"
#include "RtfKeywords.h"
#include "RtfState.h"
#include "RtfTokenizer.h"

namespace orvane::rtf {

// The RTF state machine: groups, destinations and control words, feeding a
// DocumentBuilder. Runs in time linear in the input; memory stays within a
// small multiple of it (decoded pictures have a fixed budget).
class RtfParser {
public:
    static constexpr std::size_t kMaxDepth = 1000;
    static constexpr long long kPictureBudget = 32LL * 1024 * 1024;  // pixels, all pictures together

    RtfParser(std::string_view rtf, QTextDocument& doc);
    void Run();

private:
    enum class Dest { Normal, Skip, FontTable, ColorTable, Pict };

    struct Group {
        CharState chr;
        ParaState para;
        Dest dest = Dest::Normal;
        int unicodeSkip = 1;       // \ucN
        bool starPending = false;  // \* was read; the next word decides
        bool ownsPicture = false;  // the group in which \pict began
    };

    struct Picture {
        enum class Type { Unknown, Png, Jpeg, Other } type = Type::Unknown;
        int picW = 0, picH = 0, goalW = 0, goalH = 0, scaleX = 100, scaleY = 100;
        std::string data;
        int nibble = -1;  // high half of a byte whose low half has not come yet
    };

    Group& Top() { return stack_.back(); }
    void OpenGroup();
    bool CloseGroup();  // false once the outermost group is closed
    bool ConsumeUnicodeSkip();
    bool Shows();  // whether text in the current group is shown

    void OnByte(unsigned char byte, bool escaped);
    void OnSymbol(char symbol);
    void OnWord(const Token& t);
    void OnBodyWord(Kw kw, char16_t character, const Token& t);
    void OnFontTableWord(Kw kw, const Token& t);
    void OnPictWord(Kw kw, const Token& t);
    void AddUnicode(std::int32_t param);

    void CommitFont();
    void CommitColor();
    void FinishPicture();
    int CodePageFor(const CharState& chr) const;

    RtfTokenizer tokenizer_;
    DocumentTables tables_;
    DocumentBuilder builder_;
    std::vector<Group> stack_;
    std::size_t overflowDepth_ = 0;  // groups opened past kMaxDepth
    int pendingSkip_ = 0;            // characters after \uN still to skip

    int fontNumber_ = -1;  // font table entry being read
    int fontCodePage_ = 0;
    bool fontCodePageExplicit_ = false;  // \cpg given: it beats \fcharset
    std::string fontName_;
    CodePageDecoder fontNameDecoder_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;
    Picture picture_;
    long long picturePixels_ = 0;
};

}  // namespace orvane::rtf
