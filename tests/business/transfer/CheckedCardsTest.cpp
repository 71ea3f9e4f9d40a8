// Which characters the import takes out of values: the edges of the C0, DEL
// and C1 ranges, and their neighbours that stay.

#include <gtest/gtest.h>

#include <string>

#include "transfer/CheckedCards.h"

namespace orvane::transfer {
namespace {

TEST(RemoveControlCharacters, RemovesC0DelAndC1UpToTheirLastCharacter) {
    const struct {
        std::string value, kept;
    } rows[] = {
        {std::string("a\0b", 3), "ab"},
        {"a\x1F" "b", "ab"},            // last C0 control
        {"a\x7F" "b", "ab"},            // DEL
        {"a\xC2\x80" "b", "ab"},        // U+0080, first C1 control
        {"a\xC2\x9F" "b", "ab"},        // U+009F, last C1 control
        {"\xC2\x9F\xC2\x80\x1F", ""},  // nothing but controls
        {"a\t\r\nb", "a\t\r\nb"},       // line ends and tab stay
        {" ~", " ~"},                   // just outside C0 and DEL
        {"\xC2\xA0\xC2\xBF", "\xC2\xA0\xC2\xBF"},  // U+00A0 and U+00BF, just outside C1
        {"\xC3\x9F\xC3\x80", "\xC3\x9F\xC3\x80"},  // "ß" and "À": same second bytes, other first byte
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.value));
        std::string value = row.value;
        EXPECT_EQ(RemoveControlCharacters(value), row.kept != row.value);
        EXPECT_EQ(value, row.kept);
    }
}

}  // namespace
}  // namespace orvane::transfer
