#include "CodePage.h"

#include <array>
#include <string>

namespace orvane::rtf {
namespace {

// 0x80..0x9F of Windows-1252; the five holes map to the C1 control with
// the same number, as Windows itself does.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString DecodeCp1252(std::string_view bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (char ch : bytes) {
        auto b = static_cast<unsigned char>(ch);
        out.append(QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t{b}));
    }
    return out;
}

char16_t SymbolFontCharacter(unsigned char b) {
    static constexpr char16_t kGreek[26] = {0x3B1, 0x3B2, 0x3C7, 0x3B4, 0x3B5, 0x3C6, 0x3B3, 0x3B7, 0x3B9,
                                            0x3D5, 0x3BA, 0x3BB, 0x3BC, 0x3BD, 0x3BF, 0x3C0, 0x3B8, 0x3C1,
                                            0x3C3, 0x3C4, 0x3C5, 0x3D6, 0x3C9, 0x3BE, 0x3C8, 0x3B6};
    if (b >= 'a' && b <= 'z') return kGreek[b - 'a'];
    if (b >= 'A' && b <= 'Z') return static_cast<char16_t>(kGreek[b - 'A'] == 0x3D5 ? 0x3D1 : kGreek[b - 'A'] - 0x20);
    switch (b) {
    case 0xB7: return 0x2022;
    case 0xA5: return 0x221E;
    case 0xB1: return 0x00B1;
    case 0xB4: return 0x00D7;
    case 0xAE: return 0x2192;
    case 0xAC: return 0x2190;
    case 0xDE: return 0x21D2;
    case 0xA3: return 0x2264;
    case 0xB3: return 0x2265;
    case 0xB9: return 0x2260;
    case 0xBB: return 0x2248;
    default: return b;
    }
}

char16_t WingdingsCharacter(unsigned char b) {
    switch (b) {
    case 0x6C: return 0x25CF;
    case 0x6E: return 0x25A0;
    case 0x71: return 0x2751;
    case 0x76: return 0x2756;
    case 0xA7: return 0x25AA;
    case 0xA8: return 0x25FB;
    case 0xD8: return 0x27A2;
    case 0xFC: return 0x2714;
    case 0xFB: return 0x2718;
    default: return 0x2022;  // some other bullet
    }
}

std::string ConverterName(int codePage) {
    switch (codePage) {
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 932: return "windows-932";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 10000: return "macintosh";
    case 65001: return "UTF-8";
    default:
        if (codePage == 874 || (codePage >= 1250 && codePage <= 1258)) return "windows-" + std::to_string(codePage);
        return "CP" + std::to_string(codePage);
    }
}

}  // namespace

int CodePageForCharset(int charset) {
    switch (charset) {
    case 77: return 10000;   // Mac Roman
    case 128: return 932;    // Shift-JIS
    case 129: return 949;    // Hangul
    case 134: return 936;    // GB2312
    case 136: return 950;    // Big5
    case 161: return 1253;   // Greek
    case 162: return 1254;   // Turkish
    case 163: return 1258;   // Vietnamese
    case 177: return 1255;   // Hebrew
    case 178: return 1256;   // Arabic
    case 186: return 1257;   // Baltic
    case 204: return 1251;   // Cyrillic
    case 222: return 874;    // Thai
    case 238: return 1250;   // Central European
    case 255: return 437;    // OEM
    default: return 0;       // ANSI, DEFAULT, SYMBOL and the rest
    }
}

bool IsDoubleByteCodePage(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361 ||
           codePage == 65001;
}

QStringDecoder* CodePageDecoder::Converter(int codePage) {
    auto it = converters_.find(codePage);
    if (it == converters_.end()) {
        // A document names few code pages; a broken one may name thousands.
        if (converters_.size() >= kMaxConverters) return nullptr;
        auto converter = std::make_unique<QStringDecoder>(ConverterName(codePage).c_str());
        if (!converter->isValid()) converter.reset();
        it = converters_.emplace(codePage, std::move(converter)).first;
    }
    return it->second.get();
}

QString CodePageDecoder::Decode(int codePage, std::string_view bytes) {
    if (bytes.empty()) return {};
    if (codePage == kSymbolFontPage || codePage == kWingdingsFontPage) {
        QString out;
        for (char ch : bytes) {
            auto b = static_cast<unsigned char>(ch);
            out.append(QChar(codePage == kSymbolFontPage ? SymbolFontCharacter(b) : WingdingsCharacter(b)));
        }
        return out;
    }
    // A lone byte is never a double-byte character: a list label such as
    // \'b7 in a font declared with a Far East charset is meant as Windows-1252.
    if (codePage == 1252 || codePage <= 0 || (bytes.size() == 1 && IsDoubleByteCodePage(codePage))) {
        return DecodeCp1252(bytes);
    }
    if (QStringDecoder* converter = Converter(codePage)) {
        converter->resetState();  // each run of bytes stands on its own
        return converter->decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    }
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace orvane::rtf
