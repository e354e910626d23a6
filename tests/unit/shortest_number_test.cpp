// The shortest text of a double against std::to_chars, which writes the same text.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "base/shortest_number.h"

namespace plorimet {
namespace {

TEST(ShortestNumber, IsTheTextOfToChars) {
    std::vector<double> values = {0.0, -0.0, 1.0, -2.5, 0.05, 1e-5, 1e-4, 123456.0, 1e5, 1e15, 1e16, 1e22, 1e23,
                                  999.999, 0.001, 5e-324, std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::min(), 1.0 / 3, 100.5, 1984.4};
    std::mt19937_64 random(8);
    for (int k = 0; k < 300000; ++k) {
        // Any bits (every exponent), and short decimals such as files hold.
        uint64_t bits = random();
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v)) values.push_back(v);
        values.push_back(static_cast<double>(random() % 2000000) * std::pow(10.0, static_cast<int>(random() % 40) - 20));
    }
    for (const double v : values) {
        char buffer[32];
        const std::string expected(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
        std::string text;
        AppendShortestNumber(text, v);
        ASSERT_EQ(text, expected);
    }
}

}  // namespace
}  // namespace plorimet
