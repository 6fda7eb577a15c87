#pragma once

// The hand-written scanner of the mission language. It works on the whole
// source text in memory (line ends already normalised to "\n") and hands out
// one token per request, with the line number and the text of the most
// recent match that every error report prints.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/token.h"

namespace zeb {

class Lexer {
public:
    // Returned by nextToken() after a character that no rule accepts; the
    // message to print is then in errorMessage().
    static constexpr int kLexicalError = -1;

    // The source must outlive the lexer and every text it hands out. The
    // zero byte a string keeps past its end stops the scanning loops, so
    // they need not compare against the end on every character.
    explicit Lexer(const std::string& source);
    explicit Lexer(const char* source);
    // The text must be followed by a zero byte, as a SourceText's is.
    Lexer(const char* begin, std::size_t size);
    // A view carries no such zero byte: the lexer scans a copy of its own,
    // and the texts it hands out then live only as long as the lexer.
    explicit Lexer(std::string_view source);
    // A temporary string would die before the texts that point into it.
    explicit Lexer(std::string&&) = delete;
    Lexer(const Lexer&) = delete;
    Lexer& operator=(const Lexer&) = delete;

    // The next token's number, 0 at the end of input. Valued tokens store
    // their value first (value()).
    int nextToken();

    const SemanticValue& value() const { return value_; }
    // Where the scan stands, and the bytes after it.
    const char* scanPosition() const { return pos_; }
    std::size_t bytesLeft() const { return static_cast<std::size_t>(end_ - pos_); }
    // 64 bits: a file of nothing but line ends may hold more than 2^31.
    std::int64_t lineNumber() const { return lineNumber_; }
    // For a text that starts further down a larger one: its first line's number.
    void startAtLine(std::int64_t line) { lineNumber_ = line; }
    // The most recent match; empty at the end of input.
    std::string_view tokenText() const { return tokenText_; }
    // False only before the first request: the report then has no near text.
    // Every request matches some text, and a match always points into the
    // source, so only the view made before any match has no data.
    bool hasMatched() const { return tokenText_.data() != nullptr; }
    const std::string& errorMessage() const { return errorMessage_; }
    // Where the scanner stands: inside a quoted text or a block comment that
    // has not been closed yet.
    bool insideText() const { return mode_ == Mode::String; }
    bool insideBlockComment() const { return mode_ == Mode::BlockComment; }
    // When asked, every comment is kept whole, in source order: "/* ... */"
    // (or up to the end of an unclosed one) and "// ..." without its line end.
    void recordComments(std::vector<std::string_view>* comments) { comments_ = comments; }

private:
    enum class Mode { Normal, BlockComment, LineComment, String };
    static constexpr int kSkipped = -2;

    int endOfInput();

    const char* skipBetweenTokens(const char* at);
    int scanNormal();
    int scanWord(const char* start);
    int scanNumber(const char* start, const char* firstDigit);
    static float exactShortReal(std::uint64_t digits, std::size_t fractionDigits, bool negative);
    int scanQuotedRun();
    const char* runEnd(const char* from) const;
    int punctuation(int token, std::size_t length);
    // Rare paths, kept out of line so that the common ones above stay
    // small where the compiler inlines them.
    [[gnu::noinline]] int scanInsideCommentOrString();
    [[gnu::noinline]] int beginComment();
    [[gnu::noinline]] int scanBlockComment();
    [[gnu::noinline]] int scanLineComment();
    [[gnu::noinline]] int scanString();
    [[gnu::noinline]] static float convertedReal(std::string_view text);
    [[gnu::noinline]] int zeroByte();
    [[gnu::noinline]] int lexicalError();
    void match(const char* start) { tokenText_ = std::string_view(start, pos_ - start); }

    // A view's copy; empty when the source brings its own terminator.
    std::string ownText_;
    const char* pos_;
    const char* end_;  // *end_ is always a zero byte
    Mode mode_ = Mode::Normal;
    std::int64_t lineNumber_ = 1;
    TokenText tokenText_;
    SemanticValue value_;
    std::string errorMessage_;
    std::vector<std::string_view>* comments_ = nullptr;
    const char* commentStart_ = nullptr;
};

}  // namespace zeb
