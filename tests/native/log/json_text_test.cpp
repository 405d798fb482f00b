#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "log/json_text.h"

namespace halvorn {
namespace {

using namespace std::string_view_literals;

TEST(JsonText, StringsAreEscapedAsJsonAndJavaScriptReadThemAndUnpairedSurrogatesAreMarkedInexact) {
    const struct {
        std::u16string_view text;
        std::string_view json;
        bool exact;
    } cases[] = {
        {u"HKLM\\SYSTEM", R"("HKLM\\SYSTEM")", true},
        {u"say \"hi\"", R"("say \"hi\"")", true},
        {u"\b\f\n\r\t", R"("\b\f\n\r\t")", true},
        {u"a\0b\x01\x1f"sv, R"("a\u0000b\u0001\u001f")", true},
        {u"\x7f/\u00e9\u20ac", "\"\x7f/\xc3\xa9\xe2\x82\xac\"", true},  // DEL and "/" need no escape
        {u"line\u2028para\u2029", R"("line\u2028para\u2029")", true},
        {u"\U0001F600\U0010FFFF", "\"\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf\"", true},
        {u"a\xD800", "\"a\xef\xbf\xbd\"", false},               // high surrogate at the end
        {u"\xD800z", "\"\xef\xbf\xbdz\"", false},               // high surrogate before no low one
        {u"\xDC00\xD800", "\"\xef\xbf\xbd\xef\xbf\xbd\"", false},  // a pair in the wrong order
        {u"\xD83D\xD83D\xDE00", "\"\xef\xbf\xbd\xf0\x9f\x98\x80\"", false},
    };
    for (const auto& [text, json, exact] : cases) {
        JsonWriter writer;
        EXPECT_EQ(writer.String(text), exact) << json;
        EXPECT_EQ(writer.Take(), json);
        std::string plain;
        EXPECT_EQ(AppendUtf8(plain, text), exact) << json;
    }
    std::string plain = "log ";
    AppendUtf8(plain, u"C:\\\"\n\u00e9\xDFFF");
    EXPECT_EQ(plain, "log C:\\\"\n\xc3\xa9\xef\xbf\xbd");
}

}  // namespace
}  // namespace halvorn
