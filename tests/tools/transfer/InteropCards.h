#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "VCardProperties.h"

// Cards as another client writes them, and their content lines compared as
// they stand: unfolded, with nothing of case, escaping or order changed.
namespace orvane::test {

// The lines joined with CRLF, each folded at 75 octets as a phone folds them.
inline std::string FoldedCard(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        std::size_t start = 0;
        std::size_t width = 75;
        while (line.size() - start > width) {
            out += line.substr(start, width) + "\r\n ";
            start += width;
            width = 74;
        }
        out += line.substr(start) + "\r\n";
    }
    return out;
}

// 384 bytes of every value, as base64: a photo whose every byte matters.
inline std::string PhotoBase64() {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (int i = 0; i < 384; i += 3) {
        const int bits = ((i % 256) << 16) | (((i + 1) % 256) << 8) | ((i + 2) % 256);
        for (const int shift : {18, 12, 6, 0}) out += kAlphabet[(bits >> shift) & 63];
    }
    return out;
}

// A vCard 3.0 as a phone keeps it: several of each, a preferred TEL and ADR
// that are not the first, Apple's labelled groups, X- properties, a photo.
inline std::string RichCard(const std::string& uid, const std::string& given, const std::string& family,
                            const std::string& phone, const std::string& street) {
    return FoldedCard({
        "BEGIN:VCARD",
        "VERSION:3.0",
        "UID:" + uid,
        "N:" + family + ";" + given + ";Q.;Dr.;Jr.",
        "FN:Dr. " + given + " Q. " + family + " Jr.",
        "ORG:Example Co;Research",
        "TITLE:Chief Tinkerer",
        "EMAIL;TYPE=INTERNET,WORK:" + given + "@work.example",
        "EMAIL;TYPE=INTERNET,HOME:" + given + "@home.example",
        "EMAIL;TYPE=INTERNET:" + given + ".other@example.org",
        "TEL;TYPE=WORK,VOICE:+1 555 0102",
        "TEL;TYPE=CELL,PREF:" + phone,
        "TEL;TYPE=FAX:+1 555 0103",
        "ADR;TYPE=WORK:;Suite 4;99 Industry Rd;Shelbyville;Texas;75001;United States",
        "ADR;TYPE=HOME,PREF:;;" + street + ";Springfield;Ontario;K1A 0B1;Canada",
        "item1.URL:https://" + given + ".example/blog",
        "item1.X-ABLabel:blog",
        "item2.X-ABRELATEDNAMES:Carol " + family,
        "item2.X-ABLabel:_$!<Spouse>!$_",
        "NOTE:Met at the fair\\nCalls back on Fridays\\, mostly",
        "X-JABBER;TYPE=HOME:" + given + "@jabber.example",
        "X-PHONETIC-LAST-NAME:" + family,
        "X-ORVANE-INTEROP;X-PARAM=kept:custom value",
        "BDAY:1980-04-05",
        "CATEGORIES:friends,work",
        "PHOTO;ENCODING=b;TYPE=JPEG:" + PhotoBase64(),
        "END:VCARD",
    });
}

// The unfolded lines of a that b does not have (as many times as a has more), sorted.
inline std::vector<std::string> LinesOnlyIn(const std::string& a, const std::string& b) {
    std::vector<std::string> left = UnfoldedLines(a), right = UnfoldedLines(b), only;
    std::sort(left.begin(), left.end());
    std::sort(right.begin(), right.end());
    std::set_difference(left.begin(), left.end(), right.begin(), right.end(), std::back_inserter(only));
    return only;
}

// The first unfolded line that begins with prefix, or "".
inline std::string LineStarting(const std::string& text, const std::string& prefix) {
    for (const std::string& line : UnfoldedLines(text))
        if (line.rfind(prefix, 0) == 0) return line;
    return {};
}

}  // namespace orvane::test
