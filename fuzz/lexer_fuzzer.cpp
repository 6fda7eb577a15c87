// libFuzzer target: the scanner alone over arbitrary bytes. Besides the
// sanitizers it checks what the parser and the reports rely on: every
// token's text lies inside the source, each request makes progress, the
// line number only grows and counts exactly the line ends consumed.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "frontend/lexer.h"
#include "frontend/token.h"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "lexer invariant broken: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The scanner works on text followed by a zero byte, as the tool's
    // source always is; a string keeps one past its end.
    const std::string copy(reinterpret_cast<const char*>(data), size);
    const std::string_view source = copy;
    zeb::Lexer lexer(copy);
    std::int64_t previousLine = 1;
    const char* previousEnd = source.data();
    // Every returned token consumes at least one byte, so the stream ends
    // after at most size + 1 requests.
    for (std::size_t requests = 0;; ++requests) {
        if (requests > size + 1) fail("more tokens than bytes");
        const int token = lexer.nextToken();
        const std::string_view text = lexer.tokenText();
        if (text.data() < source.data() || text.data() + text.size() > source.data() + source.size()) {
            fail("token text outside the source");
        }
        if (lexer.lineNumber() < previousLine) fail("line number went back");
        previousLine = lexer.lineNumber();
        if (token == zeb::Lexer::kLexicalError) {
            if (lexer.errorMessage().empty() || lexer.errorMessage().back() != '\n') fail("lexical message");
            return 0;
        }
        if (token == 0) {
            if (!text.empty()) fail("end of input with a text");
            break;
        }
        if (token < zeb::kFirstTokenNumber || token > zeb::kLastTokenNumber) fail("unknown token number");
        if (text.empty()) fail("a token without text");
        if (text.data() < previousEnd) fail("token text overlaps an earlier one");
        previousEnd = text.data() + text.size();
        if (token == static_cast<int>(zeb::Token::String) || token == static_cast<int>(zeb::Token::Identifier)) {
            if (lexer.value().text != text) fail("valued token whose value is not its text");
        }
    }
    // At the end every line end of the source has been counted once.
    std::size_t lineEnds = 0;
    for (char c : source) lineEnds += c == '\n';
    if (static_cast<std::size_t>(lexer.lineNumber()) != lineEnds + 1) fail("line count differs from line ends");
    return 0;
}
