#pragma once

#include <QTextDocument>

#include <cstddef>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "DocumentBuilder.h"
#include "RtfKeywords.h"
#include "RtfState.h"
#include "RtfTokenizer.h"
#include "Units.h"

namespace orvane::rtf {

// The RTF state machine: groups, destinations and control words, feeding a
// DocumentBuilder. Runs in time linear in the input; memory stays within a
// small multiple of it (decoded pictures have a fixed budget).
class RtfParser {
public:
    static constexpr std::size_t kMaxDepth = 1000;
    static constexpr long long kPictureBudget = 32LL * 1024 * 1024;  // pixels, all pictures together

    RtfParser(std::string_view rtf, QTextDocument& doc);
    ~RtfParser();
    RtfParser(const RtfParser&) = delete;
    RtfParser& operator=(const RtfParser&) = delete;
    // Reads the whole document.
    void Run();
    // Reads at most tokens more tokens; true once the document is read to
    // its end. Between calls the document holds what has been read so far.
    bool Run(std::size_t tokens);
    // Lets a view lay out what has been read: ends the edit block that
    // reading runs in; the next Run() begins another.
    void Pause() { builder_.Pause(); }

private:
    enum class Dest {
        Normal, Skip, FontTable, ColorTable, Pict, FieldInst,
        ShapeInst, ShapeName, ShapeValue, Numbering, NumberBefore, NumberAfter,
        ListTable, LevelText, ListOverrideTable,
    };
    enum class Target : std::uint8_t { Main, Notes };
    // What a group began and must finish when it closes.
    enum Owns : std::uint8_t { kPicture = 1, kNote = 2, kNumbering = 4, kShapeValue = 8, kList = 16 };

    // What a group restores when it closes, however deep it is.
    struct Frame {
        Dest dest = Dest::Normal;
        Target target = Target::Main;
        std::uint8_t owns = 0;
        bool hidden = false;       // kept in CharState; copied here for groups past kMaxDepth
        int link = 0;              // likewise
        bool starPending = false;  // \* was read; the next word decides
        int unicodeSkip = 1;       // \ucN
        bool operator==(const Frame&) const = default;
    };

    struct Group {
        CharState chr;
        ParaState para;
        Frame frame;
    };

    // Groups opened past kMaxDepth share the formatting of the deepest
    // kept group; runs of them with the same frame are counted, not stored.
    struct Overflow {
        Frame saved;
        std::size_t count = 0;
    };

    struct Picture {
        enum class Type { Unknown, Png, Jpeg, Dib, DeviceBitmap, Metafile } type = Type::Unknown;
        int picW = 0, picH = 0, goalW = 0, goalH = 0, scaleX = 100, scaleY = 100;
        int bitsPerPixel = 1, widthBytes = 0;
        bool shown = false;  // false in hidden text and in destinations that are not text
        std::string data;
        int nibble = -1;  // high half of a byte whose low half has not come yet
    };

    // A \pn paragraph number or bullet that the document did not write out.
    struct Numbering {
        bool bullet = false;
        int style = 0;  // 0 decimal, 1 upper letter, 2 lower letter, 3 upper roman, 4 lower roman
        int start = 1;
        int font = -1;
        std::string before, after;
    };

    bool ReadToken();  // false at the end of the document
    Group& Top() { return stack_.back(); }
    Frame& TopFrame() { return Top().frame; }
    void OpenGroup();
    bool CloseGroup();  // false once the outermost group is closed
    void Finishing(Group& g);
    bool ConsumeUnicodeSkip();
    bool Shows();  // whether text in the current group is shown
    DocumentBuilder& Out();

    void OnByte(unsigned char byte, bool escaped);
    void OnSymbol(char symbol);
    void OnWord(const Token& t);
    bool OnDestinationWord(Kw kw);
    void OnBodyWord(Kw kw, char16_t character, const Token& t);
    void OnTableWord(Kw kw, const Token& t);
    void OnFontTableWord(Kw kw, const Token& t);
    void OnPictWord(Kw kw, const Token& t);
    void OnNumberingWord(Kw kw, const Token& t);
    void OnListWord(Kw kw, const Token& t);
    void BeforeText();
    QString ListLabel(const ParaState& para);
    void AddUnicode(std::int32_t param);
    void AddNoteMark();
    void StartNote();
    void StartLink();
    void AddNumberLabel(const CharState& format);
    void EndParagraph();
    Frame Snapshot();
    void Complete();

    void CommitFont();
    void CommitColor();
    void FinishPicture();
    int CodePageFor(const CharState& chr) const;
    // A length in twips from a word's parameter, within a page's width.
    static int Twips(const Token& t, int low = -kMaxTwips);
    RowDef& RowFor(int depth);
    int RowDepth();

    RtfTokenizer tokenizer_;
    QTextDocument& doc_;
    DocumentTables tables_;
    std::vector<RowDef> rowDefs_;  // index: table depth
    DocumentBuilder builder_;
    QTextDocument notesDoc_;
    std::unique_ptr<DocumentBuilder> notes_;  // made at the first note
    std::vector<Group> stack_;
    std::vector<Overflow> overflow_;  // groups opened past kMaxDepth
    int pendingSkip_ = 0;             // characters after \uN still to skip
    bool done_ = false;

    int fontNumber_ = -1;  // font table entry being read
    int fontCodePage_ = 0;
    bool fontCodePageExplicit_ = false;  // \cpg given: it beats \fcharset
    bool fontSymbol_ = false;
    char fontKind_ = 0;
    std::string fontName_;
    CodePageDecoder textDecoder_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;
    Picture picture_;
    long long picturePixels_ = 0;

    std::string fieldInst_;     // instruction of the field being read
    std::string shapeName_;     // \sn of the shape property being read
    std::string shapeValue_;    // its \sv
    QString pictureAlt_;        // alternative text of the next picture
    int noteCount_ = 0;
    bool labelWritten_ = false;  // the paragraph has its label (\pntext / \listtext)
    Numbering numbering_;
    int numberCounter_ = 0;
    bool lastParagraphNumbered_ = false;
    bool paragraphNumbered_ = false;
    // Lists of the list table, by \listid, and the overrides (\lsN) that name them.
    struct ListCounters {
        std::array<int, 9> value{};
        std::array<bool, 9> started{};
    };
    std::map<int, std::vector<ListLevel>> lists_;
    std::map<int, int> listOverrides_;
    std::map<int, ListCounters> listCounters_;
    std::vector<ListLevel> listBeingRead_;
    int listIdBeingRead_ = 0;
    int overrideListId_ = 0;
    int borderTarget_ = -1;     // side of the next cell that \brdrXXX words describe; -1 none
};

}  // namespace orvane::rtf
