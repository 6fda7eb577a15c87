// The scanner on its own: tokens, values, line numbers and messages.

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "frontend/error_report.h"
#include "frontend/lexer.h"
#include "frontend/source_reader.h"

namespace zeb {
namespace {

// A token as the tests write it: its spelling (or class name) and its text
// or value.
std::string describe(const Lexer& lexer, int token) {
    switch (static_cast<Token>(token)) {
    case Token::Identifier: return "ID:" + std::string(lexer.value().text);
    case Token::String: return "STR:" + std::string(lexer.value().text);
    case Token::Integer: return "INT:" + std::to_string(lexer.value().integer);
    case Token::Real: {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "REAL:%.9g", static_cast<double>(lexer.value().real));
        return buffer;
    }
    default: return std::string(tokenSpelling(token));
    }
}

std::vector<std::string> scan(const std::string& source) {
    Lexer lexer(source);
    std::vector<std::string> tokens;
    for (;;) {
        int token = lexer.nextToken();
        if (token == Lexer::kLexicalError) {
            tokens.push_back("ERROR " + lexer.errorMessage());
            break;
        }
        if (token == 0) break;
        tokens.push_back(describe(lexer, token));
    }
    return tokens;
}

using Tokens = std::vector<std::string>;

struct ScanCase {
    const char* source;
    Tokens expected;
};

// Names the case in test listings by its source text, with control
// characters and high bytes as hex so that a listing stays one line a test.
void PrintTo(const ScanCase& c, std::ostream* os) {
    for (const char* at = c.source; *at != '\0'; ++at) {
        const unsigned char byte = static_cast<unsigned char>(*at);
        if (byte < 32 || byte >= 127) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            *os << escaped;
        } else {
            *os << *at;
        }
    }
}

class ScanTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanTest, GivesTokens) {
    EXPECT_EQ(scan(GetParam().source), GetParam().expected);
}

const char* const kLexError1Hash = "ERROR ERROR in syntax found by lex, at line 1, near: \"#\".\n";

INSTANTIATE_TEST_SUITE_P(
    Words, ScanTest,
    ::testing::Values(ScanCase{"mission missions Mission mission.",
                               {"mission", "ID:missions", "ID:Mission", "ID:mission."}},
                      ScanCase{"take  cover takecover", {"take", "cover", "ID:takecover"}},
                      ScanCase{"alpha.team_2 a1", {"ID:alpha.team_2", "ID:a1"}},
                      ScanCase{"_alpha", {"ERROR ERROR in syntax found by lex, at line 1, near: \"_\".\n"}},
                      ScanCase{"description individual reached", {"description", "individual", "reached"}},
                      ScanCase{"set . none", {"set", ".", "none"}}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, ScanTest,
    ::testing::Values(ScanCase{"-3.25", {"REAL:-3.25"}},
                      ScanCase{"32767 32768 -32768 -32769 65536",
                               {"INT:32767", "INT:-32768", "INT:-32768", "INT:32767", "INT:0"}},
                      ScanCase{"-0 007", {"INT:0", "INT:7"}}, ScanCase{"1.x", {"INT:1", ".", "ID:x"}},
                      ScanCase{"1.5.2", {"REAL:1.5", ".", "INT:2"}}, ScanCase{".5", {".", "INT:5"}},
                      ScanCase{"x-3", {"ID:x", "INT:-3"}}, ScanCase{"3-4", {"INT:3", "INT:-4"}}, ScanCase{"->", {"->"}},
                      ScanCase{"- 3", {"ERROR ERROR in syntax found by lex, at line 1, near: \"-\".\n"}},
                      ScanCase{"-x", {"ERROR ERROR in syntax found by lex, at line 1, near: \"-\".\n"}},
                      ScanCase{"0.1", {"REAL:0.100000001"}}, ScanCase{"123456789012345678901234567890", {"INT:2770"}}));

INSTANTIATE_TEST_SUITE_P(
    Punctuation, ScanTest,
    ::testing::Values(ScanCase{"{}(),=<>;!.&&->||",
                               {"{", "}", "(", ")", ",", "=", "<", ">", ";", "!", ".", "&&", "->", "||"}},
                      ScanCase{"&", {"ERROR ERROR in syntax found by lex, at line 1, near: \"&\".\n"}},
                      ScanCase{"a|b", {"ID:a", "ERROR ERROR in syntax found by lex, at line 1, near: \"|\".\n"}},
                      ScanCase{"/", {"ERROR ERROR in syntax found by lex, at line 1, near: \"/\".\n"}},
                      ScanCase{"\n\n  #", {"ERROR ERROR in syntax found by lex, at line 3, near: \"#\".\n"}},
                      ScanCase{"#", {kLexError1Hash}}));

INSTANTIATE_TEST_SUITE_P(
    Comments, ScanTest,
    ::testing::Values(ScanCase{"/* a **/ b", {"ID:b"}}, ScanCase{"/* a /* b */ c", {"ID:c"}},
                      ScanCase{"/* a */ */", {"ERROR ERROR in syntax found by lex, at line 1, near: \"*\".\n"}},
                      ScanCase{"/* \n*\n\n*/ #", {"ERROR ERROR in syntax found by lex, at line 4, near: \"#\".\n"}},
                      ScanCase{"a // comment # \" \n b", {"ID:a", "ID:b"}}, ScanCase{"a // last line", {"ID:a"}},
                      ScanCase{"/* never closed", {}}, ScanCase{"/* \x01\xff\r */ a", {"ID:a"}}));

INSTANTIATE_TEST_SUITE_P(
    Strings, ScanTest,
    ::testing::Values(ScanCase{"\"Take the hall, now!\"", {"STR:Take the hall, now!"}}, ScanCase{"\"\" x", {"ID:x"}},
                      ScanCase{"\"first\nsecond\"", {"STR:first", "STR:\n", "STR:second"}},
                      ScanCase{"\"a=b\"", {"STR:a=b"}},
                      ScanCase{"\"=b\"", {"ERROR ERROR in syntax found by lex, at line 1, near: \"=\".\n"}},
                      ScanCase{"\"a\n=b\"",
                               {"STR:a", "STR:\n", "ERROR ERROR in syntax found by lex, at line 2, near: \"=\".\n"}},
                      ScanCase{"\"a\tb\"", {"STR:a", "ERROR ERROR in syntax found by lex, at line 1, near: \"\t\".\n"}},
                      ScanCase{"\"c:\\dir/x_y-z.(1)?'\"", {"STR:c:\\dir/x_y-z.(1)?'"}},
                      ScanCase{"\"a#%+@^&=|\"", {"STR:a#%+@^&=|"}}, ScanCase{"\"unterminated", {"STR:unterminated"}},
                      ScanCase{"\"a;b\"", {"STR:a", "ERROR ERROR in syntax found by lex, at line 1, near: \";\".\n"}}));

TEST(LexerTest, ZeroByteIsAnErrorWithEmptyNearText) {
    const std::string source("a \0", 3);
    Lexer lexer(source);
    EXPECT_EQ(lexer.nextToken(), static_cast<int>(Token::Identifier));
    EXPECT_EQ(lexer.nextToken(), Lexer::kLexicalError);
    EXPECT_EQ(lexer.errorMessage(), "ERROR in syntax found by lex, at line 1, near: \"\".\n");
}

// The scanning loops stop on the zero byte past a string's end; one inside
// the text must still be the error it always was, right after each kind of
// token that such a loop reads.
TEST(LexerTest, ZeroByteRightAfterATokenIsAnErrorNotTheEnd) {
    const std::string zeroError = "ERROR ERROR in syntax found by lex, at line 2, near: \"\".\n";
    const auto withZero = [](std::string text) { return text + std::string(1, '\0') + "x"; };
    EXPECT_EQ(scan(withZero("\nab")), (Tokens{"ID:ab", zeroError}));
    EXPECT_EQ(scan(withZero("\n12")), (Tokens{"INT:12", zeroError}));
    EXPECT_EQ(scan(withZero("\n1.5")), (Tokens{"REAL:1.5", zeroError}));
    EXPECT_EQ(scan(withZero("\n1.")), (Tokens{"INT:1", ".", zeroError}));
    EXPECT_EQ(scan(withZero("\n-")), (Tokens{"ERROR ERROR in syntax found by lex, at line 2, near: \"-\".\n"}));
    EXPECT_EQ(scan(withZero("\n&")), (Tokens{"ERROR ERROR in syntax found by lex, at line 2, near: \"&\".\n"}));
    EXPECT_EQ(scan(withZero("\n/")), (Tokens{"ERROR ERROR in syntax found by lex, at line 2, near: \"/\".\n"}));
    EXPECT_EQ(scan(withZero("\n\"ab")), (Tokens{"STR:ab", zeroError}));
    EXPECT_EQ(scan(withZero("\n \t")), (Tokens{zeroError}));
}

TEST(LexerTest, TokenCutByTheEndOfInputEndsThere) {
    EXPECT_EQ(scan("ab"), (Tokens{"ID:ab"}));
    EXPECT_EQ(scan("-"), (Tokens{"ERROR ERROR in syntax found by lex, at line 1, near: \"-\".\n"}));
    EXPECT_EQ(scan("1."), (Tokens{"INT:1", "."}));
    EXPECT_EQ(scan("\"ab"), (Tokens{"STR:ab"}));
    EXPECT_EQ(scan("/"), (Tokens{"ERROR ERROR in syntax found by lex, at line 1, near: \"/\".\n"}));
}

// A view ends where its size says, even when the text around it goes on.
TEST(LexerTest, ViewStopsAtItsOwnEnd) {
    const std::string text = "ab 12 \"cd\"ef 34";
    Lexer lexer(std::string_view(text).substr(0, 10));
    std::vector<std::string> tokens;
    for (int token = lexer.nextToken(); token > 0; token = lexer.nextToken()) tokens.push_back(describe(lexer, token));
    EXPECT_EQ(tokens, (Tokens{"ID:ab", "INT:12", "STR:cd"}));
    EXPECT_EQ(lexer.tokenText(), "");
}

TEST(LexerTest, HighBytesAreErrorsInNormalAndStringMode) {
    for (int byte = 127; byte < 256; ++byte) {
        const std::string plain(1, static_cast<char>(byte));
        EXPECT_EQ(scan(plain).back(), "ERROR ERROR in syntax found by lex, at line 1, near: \"" + plain + "\".\n");
        EXPECT_EQ(scan("\"" + plain + "\"").back(),
                  "ERROR ERROR in syntax found by lex, at line 1, near: \"" + plain + "\".\n");
    }
}

TEST(LexerTest, TracksLinesAndTokenText) {
    const std::string source = "mission\n\"a\nb\" /*\n*/ x";
    Lexer lexer(source);
    EXPECT_FALSE(lexer.hasMatched());
    lexer.nextToken();
    EXPECT_EQ(lexer.tokenText(), "mission");
    EXPECT_EQ(lexer.lineNumber(), 1);
    lexer.nextToken();
    EXPECT_EQ(lexer.lineNumber(), 2);
    lexer.nextToken();
    EXPECT_EQ(lexer.tokenText(), "\n");
    EXPECT_EQ(lexer.lineNumber(), 3);
    lexer.nextToken();
    EXPECT_EQ(lexer.tokenText(), "b");
    lexer.nextToken();
    EXPECT_EQ(lexer.tokenText(), "x");
    EXPECT_EQ(lexer.lineNumber(), 4);
    EXPECT_EQ(lexer.nextToken(), 0);
    EXPECT_EQ(lexer.tokenText(), "");
    EXPECT_TRUE(lexer.hasMatched());
}

// A file of nothing but line ends can hold more than 2^31 of them; the count
// and both reports carry on past it.
TEST(LexerTest, LinesCountPastTwoToTheThirtyOne) {
    const std::string source = "x\n\n\n#";
    Lexer lexer(source);
    lexer.startAtLine(2147483646);
    EXPECT_EQ(lexer.nextToken(), static_cast<int>(Token::Identifier));
    EXPECT_EQ(lexer.nextToken(), Lexer::kLexicalError);
    EXPECT_EQ(lexer.lineNumber(), 2147483649);
    EXPECT_EQ(lexer.errorMessage(), "ERROR in syntax found by lex, at line 2147483649, near: \"#\".\n");
    EXPECT_EQ(formatErrorReport(lexer.lineNumber(), "x", true, "parse error"),
              "ERROR in syntax found, at line 2147483649\nnear: 'x'.\nCAUSE parse error\n");
}

TEST(LexerTest, LongTokensScanWhole) {
    const std::string word(5'000'000, 'w');
    const std::string text(50'000'000, 'q');
    const std::string source = word + " \"" + text + "\"";
    Lexer lexer(source);
    ASSERT_EQ(lexer.nextToken(), static_cast<int>(Token::Identifier));
    EXPECT_EQ(lexer.value().text.size(), word.size());
    ASSERT_EQ(lexer.nextToken(), static_cast<int>(Token::String));
    EXPECT_EQ(lexer.value().text.size(), text.size());
    EXPECT_EQ(lexer.nextToken(), 0);
}

// A real's value is the decimal converted to the nearest double and then
// narrowed to float; the scanner must give exactly those bits however it
// gets there.
float referenceReal(std::string_view text) {
    double exact = 0;
    std::from_chars(text.data(), text.data() + text.size(), exact);
    return static_cast<float>(exact);
}

// Scans reals separated by blanks and counts those whose bits differ from
// the reference conversion of their own text.
int realsDifferingFromReference(const std::string& source, std::size_t expectedCount) {
    Lexer lexer(source);
    std::size_t count = 0;
    int differing = 0;
    for (int token = lexer.nextToken(); token != 0; token = lexer.nextToken()) {
        EXPECT_EQ(token, static_cast<int>(Token::Real)) << lexer.tokenText();
        if (token != static_cast<int>(Token::Real)) return -1;
        ++count;
        const std::uint32_t got = std::bit_cast<std::uint32_t>(lexer.value().real);
        const std::uint32_t want = std::bit_cast<std::uint32_t>(referenceReal(lexer.tokenText()));
        if (got != want) {
            ADD_FAILURE() << lexer.tokenText() << " gives " << got << ", conversion " << want;
            ++differing;
        }
    }
    EXPECT_EQ(count, expectedCount);
    return differing;
}

TEST(RealValueTest, AllShortDecimalsMatchTheConversion) {
    std::string source;
    std::size_t count = 0;
    char buffer[32];
    for (int whole : {0, 1, 7, 9, 10, 99, 100, 255, 999, 1000, 4095, 32767, 65536, 99999}) {
        for (int fraction = 0; fraction < 10000; ++fraction) {
            for (int width = 1; width <= 4; ++width) {
                if (width < 4 && fraction >= static_cast<int>(std::pow(10, width))) continue;
                std::snprintf(buffer, sizeof buffer, "%d.%0*d %s%d.%0*d ", whole, width, fraction, "-", whole, width,
                              fraction);
                source += buffer;
                count += 2;
            }
        }
    }
    EXPECT_EQ(realsDifferingFromReference(source, count), 0);
}

TEST(RealValueTest, RandomDigitsOfEveryLengthMatchTheConversion) {
    std::mt19937_64 random(20240611);
    std::string source;
    std::size_t count = 0;
    for (int i = 0; i < 400000; ++i) {
        const int digits = 2 + static_cast<int>(random() % 24);  // past the exact range too
        const int point = 1 + static_cast<int>(random() % (digits - 1));
        if (random() % 2) source += '-';
        for (int d = 0; d < digits; ++d) {
            if (d == point) source += '.';
            source += static_cast<char>('0' + random() % 10);
        }
        source += ' ';
        ++count;
    }
    EXPECT_EQ(realsDifferingFromReference(source, count), 0);
}

// Decimals right at and around the points halfway between two floats, where
// a conversion that rounds twice or too early gives the other neighbour.
TEST(RealValueTest, DecimalsNearFloatRoundingBoundariesMatchTheConversion) {
    std::mt19937 random(7);
    std::string source;
    std::size_t count = 0;
    char buffer[64];
    const auto addFixed = [&](double value, int fractionDigits) {
        std::snprintf(buffer, sizeof buffer, "%.*f ", fractionDigits, value);
        if (std::string_view(buffer).find('.') == std::string_view::npos) return;
        source += buffer;
        ++count;
    };
    for (int i = 0; i < 60000; ++i) {
        const int exponent = static_cast<int>(random() % 40) - 20;
        const float below = std::ldexp(1.0f + static_cast<float>(random() % 8388608) / 8388608.0f, exponent);
        const float above = std::nextafter(below, std::numeric_limits<float>::infinity());
        const double halfway = (static_cast<double>(below) + static_cast<double>(above)) / 2;
        for (int fractionDigits = 1; fractionDigits <= 17; ++fractionDigits) {
            addFixed(halfway, fractionDigits);
            addFixed(std::nextafter(halfway, 0.0), fractionDigits);
            addFixed(std::nextafter(halfway, 1e300), fractionDigits);
        }
    }
    for (const char* text : {"16777216.0",
                             "16777217.0",
                             "16777217.5",
                             "16777218.0",
                             "16777219.0",
                             "33554433.0",
                             "8388608.5",
                             "8388609.5",
                             "0.0",
                             "-0.0",
                             "0.000000000000001",
                             "0.0000000000000001",
                             "999999999999999.9",
                             "99999999999999.99",
                             "9007199254740993.0",
                             "340282356779733661637.5",
                             "340282366920938463463374607431768211455.0",
                             "0.00000000000000000000000000000000000001",
                             "1.00000000000000000000000000001",
                             "0.1",
                             "0.2",
                             "0.3",
                             "4.3",
                             "3.6"}) {
        source += text;
        source += ' ';
        ++count;
    }
    EXPECT_EQ(realsDifferingFromReference(source, count), 0);
}

TEST(RealValueTest, NegativeZeroKeepsItsSign) {
    Lexer lexer("-0.000");
    ASSERT_EQ(lexer.nextToken(), static_cast<int>(Token::Real));
    EXPECT_TRUE(std::signbit(lexer.value().real));
    EXPECT_EQ(lexer.value().real, 0.0f);
}

TEST(SourceReaderTest, CarriageReturnLineFeedBecomesLineFeed) {
    std::string text = "a\r\nb\rc\r\r\n\r";
    normaliseLineEnds(text);
    EXPECT_EQ(text, "a\nb\rc\r\n\r");
}

TEST(SourceReaderTest, CrLfFileScansLikeLfFile) {
    std::string crlf = "mission \"a\r\nb\"\r\n// c\r\nx";
    normaliseLineEnds(crlf);
    EXPECT_EQ(scan(crlf), scan("mission \"a\nb\"\n// c\nx"));
}

TEST(SourceReaderTest, LoneCarriageReturnIsNoToken) {
    EXPECT_EQ(scan("a\rb"), (Tokens{"ID:a", "ERROR ERROR in syntax found by lex, at line 1, near: \"\r\".\n"}));
}

}  // namespace
}  // namespace zeb
