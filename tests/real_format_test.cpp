#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "frontend/lexer.h"
#include "output/output_sink.h"
#include "output/real_format.h"
#include "output/source_writers.h"

namespace zeb {
namespace {

struct RealCase {
    double value;
    const char* text;
};

// Names the case in test listings by its expected text.
void PrintTo(const RealCase& c, std::ostream* os) {
    *os << c.text;
}

class RealFormatTest : public ::testing::TestWithParam<RealCase> {};

TEST_P(RealFormatTest, WritesSixSignificantDigits) {
    EXPECT_EQ(formatReal(GetParam().value).view(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Plain, RealFormatTest,
                         ::testing::Values(RealCase{3, "3"}, RealCase{2.5, "2.5"}, RealCase{3.3333333, "3.33333"},
                                           RealCase{0, "0"}, RealCase{-0.5, "-0.5"}, RealCase{-32768, "-32768"},
                                           RealCase{32767, "32767"}, RealCase{100, "100"}, RealCase{-20, "-20"},
                                           RealCase{123456, "123456"}, RealCase{100000, "100000"},
                                           RealCase{9999.89, "9999.89"}, RealCase{0.0001, "0.0001"},
                                           RealCase{0.00012345, "0.00012345"}, RealCase{10, "10"},
                                           RealCase{2.50, "2.5"}, RealCase{0.1, "0.1"}));

INSTANTIATE_TEST_SUITE_P(Exponent, RealFormatTest,
                         ::testing::Values(RealCase{1500000, "1.5e+006"}, RealCase{0.00001, "1e-005"},
                                           RealCase{1234567, "1.23457e+006"}, RealCase{1000000, "1e+006"},
                                           RealCase{-1500000, "-1.5e+006"}, RealCase{0.000012345, "1.2345e-005"},
                                           RealCase{1e+100, "1e+100"}, RealCase{1e-100, "1e-100"},
                                           RealCase{1.5e+300, "1.5e+300"}, RealCase{1e+38, "1e+038"},
                                           RealCase{-2.5e-7, "-2.5e-007"}));

// Rounding happens before the choice of notation: a value that rounds up to
// the next power of ten changes its exponent.
INSTANTIATE_TEST_SUITE_P(Rounding, RealFormatTest,
                         ::testing::Values(RealCase{999999.5, "1e+006"}, RealCase{999999.4, "999999"},
                                           RealCase{9.9999996, "10"}, RealCase{1.234565e-4, "0.000123457"},
                                           RealCase{0.000099999996, "0.0001"}, RealCase{1.0000004, "1"},
                                           RealCase{2.0000051, "2.00001"}, RealCase{123456.7, "123457"},
                                           RealCase{-123456.7, "-123457"}));

TEST(RealFormat, FloatIsWidenedBeforeRounding) {
    // 9999.9f is 9999.900390625 and 0.1f is 0.100000001490116.
    EXPECT_EQ(formatReal(9999.9f).view(), "9999.9");
    EXPECT_EQ(formatReal(0.1f).view(), "0.1");
    EXPECT_EQ(formatReal(3.3333333f).view(), "3.33333");
    EXPECT_EQ(formatReal(0.00001f).view(), "1e-005");
    EXPECT_EQ(formatReal(1500000.0f).view(), "1.5e+006");
}

TEST(RealFormat, NegativeZeroKeepsItsSign) {
    EXPECT_EQ(formatReal(-0.0).view(), "-0");
}

TEST(RealFormat, InfinityAndNanAreWrittenAsWords) {
    EXPECT_EQ(formatReal(std::numeric_limits<double>::infinity()).view(), "inf");
    EXPECT_EQ(formatReal(-std::numeric_limits<double>::infinity()).view(), "-inf");
    EXPECT_EQ(formatReal(std::numeric_limits<double>::quiet_NaN()).view(), "nan");
}

TEST(RealFormat, WidestValuesFitTheBuffer) {
    EXPECT_EQ(formatReal(-1.2345678e-308).view(), "-1.23457e-308");
    EXPECT_EQ(formatReal(std::numeric_limits<double>::denorm_min()).view(), "4.94066e-324");
    EXPECT_EQ(formatReal(-std::numeric_limits<double>::max()).view(), "-1.79769e+308");
}

std::string written(void (*write)(OutputSink&)) {
    std::string text;
    OutputSink out(&text);
    write(out);
    out.endLine();
    return text;
}

TEST(RealFormat, WriteRealAppendsToTheLine) {
    EXPECT_EQ(written([](OutputSink& out) {
                  out.put('<');
                  writeReal(out, 1.5e6);
                  out.put('>');
              }),
              "<1.5e+006>\n");
}

TEST(RealFormat, AlignedRealIsPaddedOnTheLeft) {
    EXPECT_EQ(written([](OutputSink& out) { writeRealAligned(out, 0, 5); }), "    0\n");
    EXPECT_EQ(written([](OutputSink& out) { writeRealAligned(out, -20, 5); }), "  -20\n");
    EXPECT_EQ(written([](OutputSink& out) { writeRealAligned(out, 32767, 5); }), "32767\n");
}

TEST(RealFormat, AlignedRealLongerThanTheFieldIsWrittenWhole) {
    EXPECT_EQ(written([](OutputSink& out) { writeRealAligned(out, -32768, 5); }), "-32768\n");
    EXPECT_EQ(written([](OutputSink& out) { writeRealAligned(out, 1.5e6, 5); }), "1.5e+006\n");
}

// A value asked again, in any order among others, gets the same text, and
// values that differ only in sign or NaN payload each get their own.
TEST(RealFormat, RepeatedValuesKeepTheirTexts) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  -1.0,
                                  2.8,
                                  1e-5,
                                  123456.5,
                                  1e300,
                                  -1e-300,
                                  std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN(),
                                  -std::numeric_limits<double>::quiet_NaN()};
    std::uint64_t allOnes = ~std::uint64_t{0};
    double allOnesNan;
    std::memcpy(&allOnesNan, &allOnes, sizeof allOnesNan);
    values.push_back(allOnesNan);
    std::mt19937_64 random(7);
    for (int i = 0; i < 3000; ++i) {
        values.push_back(static_cast<float>(std::uniform_real_distribution<double>(-1e7, 1e7)(random)));
    }
    std::vector<std::string> first;
    for (double value : values) first.emplace_back(formatReal(value).view());
    for (std::size_t i = values.size(); i-- > 0;) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%g", values[i]);
        ASSERT_EQ(std::string(formatReal(values[i]).view()), first[i]) << "value " << values[i];
        // Without an exponent the layout's text is printf's.
        if (std::isfinite(values[i]) && std::strchr(expected, 'e') == nullptr) {
            ASSERT_EQ(first[i], expected) << "value " << values[i];
        }
    }
    EXPECT_EQ(first[0], "0");
    EXPECT_EQ(first[1], "-0");
}

// The source layout's reals, read back by the scanner itself, must give the
// very bits they were written from: across the whole range of exponents,
// negative zero and the integers the language takes as INTEGER.
TEST(SourceReal, ReadsBackToTheSameBits) {
    std::mt19937 random(20261209);
    std::vector<float> values = {0.0f,
                                 -0.0f,
                                 1.5e6f,
                                 1e-5f,
                                 32768.0f,
                                 32767.0f,
                                 -32768.0f,
                                 -32769.0f,
                                 std::numeric_limits<float>::max(),
                                 std::numeric_limits<float>::min(),
                                 std::numeric_limits<float>::denorm_min(),
                                 9999.9f,
                                 100000.0f};
    while (values.size() < 20000) {
        const auto bits = static_cast<std::uint32_t>(random());
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value)) values.push_back(value);
    }
    for (float value : values) {
        std::string line;
        OutputSink out(&line);
        writeSourceReal(out, value);
        out.endLine();
        const std::string text = line.substr(0, line.size() - 1);
        ASSERT_EQ(text.find_first_of("eE"), std::string::npos) << text;
        Lexer lexer(text);
        const int token = lexer.nextToken();
        const float read = token == static_cast<int>(Token::Integer) ? lexer.value().integer : lexer.value().real;
        ASSERT_TRUE(token == static_cast<int>(Token::Integer) || token == static_cast<int>(Token::Real)) << text;
        ASSERT_EQ(lexer.nextToken(), 0) << text;
        std::uint32_t wrote, got;
        std::memcpy(&wrote, &value, sizeof wrote);
        std::memcpy(&got, &read, sizeof got);
        ASSERT_EQ(got, wrote) << text;
    }
}

}  // namespace
}  // namespace zeb
