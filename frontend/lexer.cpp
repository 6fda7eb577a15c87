#include "frontend/lexer.h"

#include <charconv>
#include <cstring>

#include "frontend/char_classes.h"
#include "frontend/keywords.h"

namespace zeb {

using chars::is;

Lexer::Lexer(std::string_view source) : pos_(source.data()), end_(source.data() + source.size()) {}

int Lexer::nextToken() {
    hasMatched_ = true;
    for (;;) {
        if (mode_ == Mode::Normal) skipBlanksAndLineEnds();
        if (pos_ == end_) {
            // The end of input is a match too: its text is empty, and the
            // report then prints an empty near text rather than "<unknown>".
            tokenText_ = std::string_view(end_, 0);
            return static_cast<int>(Token::End);
        }
        int token = kSkipped;
        switch (mode_) {
        case Mode::Normal: token = scanNormal(); break;
        case Mode::BlockComment: token = scanBlockComment(); break;
        case Mode::LineComment: token = scanLineComment(); break;
        case Mode::String: token = scanString(); break;
        }
        if (token != kSkipped) return token;
    }
}

// White space and line ends are skipped matches of their own; they run
// here in one loop because they make up much of a file. Their text is never
// read: a token or the end of input always matches after them.
void Lexer::skipBlanksAndLineEnds() {
    const char* at = pos_;
    while (at != end_) {
        const char c = *at;
        if (c == ' ' || c == '\t') {
            ++at;
        } else if (c == '\n') {
            ++lineNumber_;
            ++at;
        } else {
            break;
        }
    }
    if (at != pos_) {
        tokenText_ = std::string_view(at - 1, 1);
        pos_ = at;
    }
}

int Lexer::scanNormal() {
    const char* start = pos_;
    const unsigned char c = static_cast<unsigned char>(*pos_);
    const bool hasNext = end_ - pos_ > 1;
    const char next = hasNext ? pos_[1] : '\0';
    switch (c) {
    case '/':
        if (hasNext && (next == '*' || next == '/')) {
            mode_ = next == '*' ? Mode::BlockComment : Mode::LineComment;
            pos_ += 2;
            match(start);
            return kSkipped;
        }
        return lexicalError();
    case '"':
        mode_ = Mode::String;
        ++pos_;
        match(start);
        return scanQuotedRun();
    case '{': return punctuation(static_cast<int>(Token::LeftBrace), 1);
    case '}': return punctuation(static_cast<int>(Token::RightBrace), 1);
    case '(': return punctuation(static_cast<int>(Token::LeftParen), 1);
    case ')': return punctuation(static_cast<int>(Token::RightParen), 1);
    case ',': return punctuation(static_cast<int>(Token::Comma), 1);
    case '=': return punctuation(static_cast<int>(Token::Equals), 1);
    case '<': return punctuation(static_cast<int>(Token::Less), 1);
    case '>': return punctuation(static_cast<int>(Token::Greater), 1);
    case ';': return punctuation(static_cast<int>(Token::Semicolon), 1);
    case '!': return punctuation(static_cast<int>(Token::Bang), 1);
    case '.': return punctuation(static_cast<int>(Token::Dot), 1);
    case '&':
        if (next == '&' && hasNext) return punctuation(static_cast<int>(Token::AndAnd), 2);
        return lexicalError();
    case '|':
        if (next == '|' && hasNext) return punctuation(static_cast<int>(Token::OrOr), 2);
        return lexicalError();
    case '-':
        // A minus belongs to a number only when a digit follows directly.
        if (hasNext && is(static_cast<unsigned char>(next), chars::kDigit)) return scanNumber();
        if (hasNext && next == '>') return punctuation(static_cast<int>(Token::Arrow), 2);
        return lexicalError();
    default:
        if (is(c, chars::kLetter)) return scanWord();
        if (is(c, chars::kDigit)) return scanNumber();
        return lexicalError();
    }
}

int Lexer::punctuation(int token, std::size_t length) {
    tokenText_ = std::string_view(pos_, length);
    pos_ += length;
    return token;
}

// A word is a keyword only when the whole word is one: the identifier rule
// always matches at least as much, and the keyword wins only a tie.
int Lexer::scanWord() {
    const char* start = pos_++;
    while (pos_ != end_ && is(static_cast<unsigned char>(*pos_), chars::kIdentifierTail)) ++pos_;
    match(start);
    if (int keyword = keywordToken(tokenText_)) return keyword;
    value_.text = tokenText_;
    return static_cast<int>(Token::Identifier);
}

// "-"? digits, then "." digits makes a real. A period not followed by a
// digit is given back: "1." is the integer 1 and then ".".
int Lexer::scanNumber() {
    const char* start = pos_;
    const bool negative = *pos_ == '-';
    if (negative) ++pos_;
    std::uint16_t lowBits = 0;  // the decimal value modulo 2^16
    while (pos_ != end_ && is(static_cast<unsigned char>(*pos_), chars::kDigit)) {
        lowBits = static_cast<std::uint16_t>(lowBits * 10u + static_cast<unsigned>(*pos_ - '0'));
        ++pos_;
    }
    if (end_ - pos_ > 1 && *pos_ == '.' && is(static_cast<unsigned char>(pos_[1]), chars::kDigit)) {
        pos_ += 2;
        while (pos_ != end_ && is(static_cast<unsigned char>(*pos_), chars::kDigit)) ++pos_;
        match(start);
        double exact = 0;
        std::from_chars(tokenText_.data(), tokenText_.data() + tokenText_.size(), exact);
        value_.real = static_cast<float>(exact);
        return static_cast<int>(Token::Real);
    }
    match(start);
    if (negative) lowBits = static_cast<std::uint16_t>(0u - lowBits);
    value_.integer = static_cast<std::int16_t>(lowBits);
    return static_cast<int>(Token::Integer);
}

// Comments do not nest: the first "*/" ends one.
int Lexer::scanBlockComment() {
    const char* start = pos_;
    while (pos_ != end_) {
        const char c = *pos_++;
        if (c == '\n') {
            ++lineNumber_;
        } else if (c == '*' && pos_ != end_ && *pos_ == '/') {
            ++pos_;
            mode_ = Mode::Normal;
            break;
        }
    }
    match(start);
    return kSkipped;
}

int Lexer::scanLineComment() {
    const char* start = pos_;
    const void* newline = std::memchr(pos_, '\n', static_cast<std::size_t>(end_ - pos_));
    if (newline == nullptr) {
        pos_ = end_;
    } else {
        pos_ = static_cast<const char*>(newline) + 1;
        ++lineNumber_;
        mode_ = Mode::Normal;
    }
    match(start);
    return kSkipped;
}

// The end of a run inside quotes that begins at `from`: a string character
// followed by as many continuation characters as stand there.
const char* Lexer::runEnd(const char* from) const {
    const char* at = from + 1;
    while (at != end_ && is(static_cast<unsigned char>(*at), chars::kStringContinue)) ++at;
    return at;
}

// Right after an opening quote: a quoted text on one line is by far the
// most common case, so its run and closing quote are taken here at once.
// Anything else is left to string mode.
int Lexer::scanQuotedRun() {
    if (pos_ == end_ || !is(static_cast<unsigned char>(*pos_), chars::kStringStart)) return kSkipped;
    const char* end = runEnd(pos_);
    if (end == end_ || *end != '"') return kSkipped;
    tokenText_ = std::string_view(pos_, static_cast<std::size_t>(end - pos_));
    value_.text = tokenText_;
    // The closing quote is a match of its own, but nothing reads the text
    // before the next token's match: taking it now changes nothing visible.
    pos_ = end + 1;
    mode_ = Mode::Normal;
    return static_cast<int>(Token::String);
}

// Inside quotes each line's run is one STRING and each line end another.
int Lexer::scanString() {
    const char* start = pos_;
    const unsigned char c = static_cast<unsigned char>(*pos_);
    if (c == '"') {
        ++pos_;
        mode_ = Mode::Normal;
        match(start);
        return kSkipped;
    }
    if (c == '\n') {
        ++lineNumber_;
        ++pos_;
    } else if (is(c, chars::kStringStart)) {
        pos_ = runEnd(pos_);
    } else {
        return lexicalError();
    }
    match(start);
    value_.text = tokenText_;
    return static_cast<int>(Token::String);
}

int Lexer::lexicalError() {
    const char* start = pos_++;
    match(start);
    // The near text is the rejected character as a C string: a zero byte
    // prints as nothing.
    std::string nearText = *start == '\0' ? std::string() : std::string(1, *start);
    errorMessage_ =
        "ERROR in syntax found by lex, at line " + std::to_string(lineNumber_) + ", near: \"" + nearText + "\".\n";
    return kLexicalError;
}

}  // namespace zeb
