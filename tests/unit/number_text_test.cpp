#include "base/number_text.h"

#include <charconv>
#include <cstring>

#include <gtest/gtest.h>

namespace plorimet {
namespace {

// The fast_float reader must answer as the standard library's from_chars does, since the native
// and Windows builds used that one before: value, end and error alike.
TEST(ParseDouble, AnswersAsTheStandardFromChars) {
    for (const char* text : {"0", "-0", "1.5", "0.1", "123456789012345678901234567890", "2.5e-3",
                             "1e308", "1e309", "-1e400", "1e-320", "1e-400", "0e-400",
                             "4.9406564584124654e-324", "2.4703282292062327e-324", "2.4703282292062328e-324", "1.7976931348623158e308",
                             "1.7976931348623159e308", "inf", "-infinity", "nan", ".5", "5.", "1e", "1e+",
                             "-", ".", "", "abc", "12abc", "9007199254740993", "0.30000000000000004441"}) {
        const char* last = text + std::strlen(text);
        double expected = -7.0;
        double actual = -7.0;
        const auto want = std::from_chars(text, last, expected, std::chars_format::general);
        const auto got = ParseDouble(text, last, actual);
        EXPECT_EQ(static_cast<int>(got.ec), static_cast<int>(want.ec)) << text;
        EXPECT_EQ(got.ptr - text, want.ptr - text) << text;
        if (want.ec == std::errc() && expected == expected)
            EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0) << text;
    }
}

}  // namespace
}  // namespace plorimet
