#include "frontend/lexer.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <type_traits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "frontend/char_classes.h"
#include "frontend/keywords.h"

namespace zeb {
namespace {

using chars::is;

bool isDigit(char c) {
    return is(static_cast<unsigned char>(c), chars::kDigit);
}

// What the first character of a token decides in normal mode.
enum class Start : std::uint8_t {
    Refused,  // no rule starts with it
    Word,     // a letter: keyword or identifier
    Digit,    // an unsigned number
    Mark,     // punctuation of one character
    Quote,
    Minus,  // a negative number or "->"
    Slash,  // a comment
    Twice,  // "&&" or "||"
    Zero,   // the end of input, or a zero byte inside the text
};

struct StartTable {
    std::array<Start, 256> start{};
    std::array<std::int16_t, 256> markToken{};  // the token of a one-character mark
};

constexpr StartTable makeStartTable() {
    StartTable table;
    for (int c = 0; c < 256; ++c) {
        if (chars::kTable[c] & chars::kLetter) table.start[c] = Start::Word;
        if (chars::kTable[c] & chars::kDigit) table.start[c] = Start::Digit;
    }
    constexpr std::pair<char, Token> kMarks[] = {
        {'{', Token::LeftBrace}, {'}', Token::RightBrace}, {'(', Token::LeftParen}, {')', Token::RightParen},
        {',', Token::Comma},     {'=', Token::Equals},     {'<', Token::Less},      {'>', Token::Greater},
        {';', Token::Semicolon}, {'!', Token::Bang},       {'.', Token::Dot},
    };
    for (const auto& [mark, token] : kMarks) {
        table.start[static_cast<unsigned char>(mark)] = Start::Mark;
        table.markToken[static_cast<unsigned char>(mark)] = static_cast<std::int16_t>(token);
    }
    table.start['"'] = Start::Quote;
    table.start['-'] = Start::Minus;
    table.start['/'] = Start::Slash;
    table.start['&'] = Start::Twice;
    table.start['|'] = Start::Twice;
    table.start[0] = Start::Zero;
    return table;
}

constexpr StartTable kStarts = makeStartTable();

// A real of at most this many digits is exactly an integer below 2^53 over
// an exact power of ten; one correctly rounded division then gives the same
// double as a full decimal conversion.
constexpr std::size_t kMostExactDigits = 15;

constexpr std::array<double, kMostExactDigits + 1> makePowersOfTen() {
    std::array<double, kMostExactDigits + 1> powers{};
    double power = 1;
    for (double& p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}

constexpr std::array<double, kMostExactDigits + 1> kPowersOfTen = makePowersOfTen();

// The parser copies a token's value with one 16-byte load soon after the
// scanner stored it. A load that spans two separate 8-byte stores cannot be
// served from them and waits until both reach the cache, a stall on every
// text token; one 16-byte store, where the machine has one, avoids it. The
// view is the project's own type, so the order of its two fields is known.
void storeText(TokenText& target, std::string_view text) {
#if defined(__SSE2__)
    static_assert(sizeof(TokenText) == 16 && offsetof(TokenText, begin) == 0 && offsetof(TokenText, length) == 8);
    static_assert(std::is_trivially_copyable_v<TokenText>);
    const auto begin = reinterpret_cast<std::int64_t>(text.data());
    const auto length = static_cast<std::int64_t>(text.size());
    const __m128i both = _mm_set_epi64x(length, begin);  // begin in the low half, at offset 0
    std::memcpy(static_cast<void*>(&target), &both, sizeof target);
#else
    target = text;
#endif
}

// A number's two fields are stored with one 8-byte move for the same
// reason: the parser reads them back with one load. The field the token's
// class does not use is zero.
void storeNumber(SemanticValue& target, std::int16_t integer, float real) {
    constexpr std::size_t kAt = offsetof(SemanticValue, integer);
    static_assert(offsetof(SemanticValue, real) == kAt + 4 && sizeof(SemanticValue) == kAt + 8);
    const std::uint64_t both =
        std::uint64_t{static_cast<std::uint16_t>(integer)} | (std::uint64_t{std::bit_cast<std::uint32_t>(real)} << 32);
    std::memcpy(reinterpret_cast<unsigned char*>(&target) + kAt, &both, sizeof both);
}

}  // namespace

Lexer::Lexer(const char* begin, std::size_t size) : pos_(begin), end_(begin + size) {}

Lexer::Lexer(const std::string& source) : Lexer(source.data(), source.size()) {}

Lexer::Lexer(const char* source) : Lexer(source, std::strlen(source)) {}

Lexer::Lexer(std::string_view source) : ownText_(source), pos_(ownText_.data()), end_(pos_ + ownText_.size()) {}

int Lexer::nextToken() {
    for (;;) {
        const int token = mode_ == Mode::Normal ? scanNormal() : scanInsideCommentOrString();
        if (token != kSkipped) return token;
    }
}

int Lexer::scanInsideCommentOrString() {
    if (pos_ == end_) return endOfInput();
    switch (mode_) {
    case Mode::Normal: break;
    case Mode::BlockComment: return scanBlockComment();
    case Mode::LineComment: return scanLineComment();
    case Mode::String: return scanString();
    }
    return kSkipped;
}

// The end of input is a match too: its text is empty, and the report then
// prints an empty near text rather than "<unknown>".
int Lexer::endOfInput() {
    tokenText_ = std::string_view(end_, 0);
    return static_cast<int>(Token::End);
}

// White space and line ends are skipped matches of their own; they run here
// in one loop because they make up much of a file. Their text is never read:
// a token, a comment or the end of input always matches after them, so the
// loop does not record it.
const char* Lexer::skipBetweenTokens(const char* at) {
    std::uint64_t lineEnds = 0;
    for (;;) {
        const std::uint8_t groups = chars::kTable[static_cast<unsigned char>(*at)];
        if ((groups & chars::kBetweenTokens) == 0) break;
        lineEnds += chars::isLineEnd(groups);
        ++at;
    }
    lineNumber_ += static_cast<std::int64_t>(lineEnds);
    return at;
}

int Lexer::scanNormal() {
    const char* start = skipBetweenTokens(pos_);
    pos_ = start;
    const unsigned char c = static_cast<unsigned char>(*start);
    // A character after the first is always there to read: at worst it is
    // the terminating zero byte, which no rule accepts.
    switch (kStarts.start[c]) {
    case Start::Word: return scanWord(start);
    case Start::Mark: return punctuation(kStarts.markToken[c], 1);
    case Start::Quote:
        mode_ = Mode::String;
        pos_ = start + 1;
        match(start);
        return scanQuotedRun();
    case Start::Digit: return scanNumber(start, start);
    case Start::Minus:
        // A minus belongs to a number only when a digit follows directly.
        if (isDigit(start[1])) return scanNumber(start, start + 1);
        if (start[1] == '>') return punctuation(static_cast<int>(Token::Arrow), 2);
        return lexicalError();
    case Start::Twice:
        if (start[1] == *start) {
            return punctuation(static_cast<int>(c == '&' ? Token::AndAnd : Token::OrOr), 2);
        }
        return lexicalError();
    case Start::Slash: return beginComment();
    case Start::Zero: return zeroByte();
    case Start::Refused: break;
    }
    return lexicalError();
}

// The terminator and a zero byte inside the file look alike; only the
// position tells them apart.
int Lexer::zeroByte() {
    return pos_ == end_ ? endOfInput() : lexicalError();
}

int Lexer::beginComment() {
    const char* start = pos_;
    if (start[1] == '*' || start[1] == '/') {
        mode_ = start[1] == '*' ? Mode::BlockComment : Mode::LineComment;
        commentStart_ = start;
        pos_ = start + 2;
        match(start);
        return kSkipped;
    }
    return lexicalError();
}

int Lexer::punctuation(int token, std::size_t length) {
    tokenText_ = std::string_view(pos_, length);
    pos_ += length;
    return token;
}

// A word is a keyword only when the whole word is one: the identifier rule
// always matches at least as much, and the keyword wins only a tie.
int Lexer::scanWord(const char* start) {
    const char* at = start + 1;
    while (is(static_cast<unsigned char>(*at), chars::kIdentifierTail)) ++at;
    pos_ = at;
    const std::string_view word(start, static_cast<std::size_t>(at - start));
    storeText(tokenText_, word);
    if (const int keyword = keywordTokenInText(word, end_)) return keyword;
    storeText(value_.text, word);
    return static_cast<int>(Token::Identifier);
}

// "-"? digits, then "." digits makes a real. A period not followed by a
// digit is given back: "1." is the integer 1 and then ".".
int Lexer::scanNumber(const char* start, const char* firstDigit) {
    const char* at = firstDigit;
    // All digits read so far as one number, modulo 2^64: exact while short,
    // and its low 16 bits are an integer's value whatever its length.
    std::uint64_t digits = 0;
    while (isDigit(*at)) {
        digits = digits * 10 + static_cast<unsigned>(*at - '0');
        ++at;
    }
    const bool negative = start != firstDigit;
    if (*at == '.' && isDigit(at[1])) {
        const char* point = at++;
        while (isDigit(*at)) {
            digits = digits * 10 + static_cast<unsigned>(*at - '0');
            ++at;
        }
        pos_ = at;
        match(start);
        const std::size_t digitCount = static_cast<std::size_t>(at - firstDigit) - 1;
        const std::size_t fractionDigits = static_cast<std::size_t>(at - point) - 1;
        storeNumber(value_, 0,
                    digitCount <= kMostExactDigits ? exactShortReal(digits, fractionDigits, negative)
                                                   : convertedReal(tokenText_));
        return static_cast<int>(Token::Real);
    }
    pos_ = at;
    match(start);
    std::uint16_t lowBits = static_cast<std::uint16_t>(digits);
    if (negative) lowBits = static_cast<std::uint16_t>(0u - lowBits);
    storeNumber(value_, static_cast<std::int16_t>(lowBits), 0);
    return static_cast<int>(Token::Integer);
}

// Both the digits and the power of ten are exact doubles, and the quotient
// is rounded once: it is the double nearest the decimal, as a conversion
// would give it, then narrowed the same way.
float Lexer::exactShortReal(std::uint64_t digits, std::size_t fractionDigits, bool negative) {
    const double magnitude = static_cast<double>(digits) / kPowersOfTen[fractionDigits];
    return static_cast<float>(negative ? -magnitude : magnitude);
}

float Lexer::convertedReal(std::string_view text) {
    double exact = 0;
    std::from_chars(text.data(), text.data() + text.size(), exact);
    return static_cast<float>(exact);
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
    if (comments_ != nullptr && (mode_ == Mode::Normal || pos_ == end_)) {
        comments_->emplace_back(commentStart_, static_cast<std::size_t>(pos_ - commentStart_));
    }
    return kSkipped;
}

int Lexer::scanLineComment() {
    const char* start = pos_;
    const void* newline = std::memchr(pos_, '\n', static_cast<std::size_t>(end_ - pos_));
    if (comments_ != nullptr) {
        const char* end = newline == nullptr ? end_ : static_cast<const char*>(newline);
        comments_->emplace_back(commentStart_, static_cast<std::size_t>(end - commentStart_));
    }
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
    while (is(static_cast<unsigned char>(*at), chars::kStringContinue)) ++at;
    return at;
}

// Right after an opening quote: a quoted text on one line is by far the
// most common case, so its run and closing quote are taken here at once.
// Anything else is left to string mode.
int Lexer::scanQuotedRun() {
    if (!is(static_cast<unsigned char>(*pos_), chars::kStringStart)) return kSkipped;
    const char* end = runEnd(pos_);
    if (*end != '"') return kSkipped;
    const std::string_view text(pos_, static_cast<std::size_t>(end - pos_));
    storeText(tokenText_, text);
    storeText(value_.text, text);
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
    const std::string_view text(start, static_cast<std::size_t>(pos_ - start));
    storeText(tokenText_, text);
    storeText(value_.text, text);
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
