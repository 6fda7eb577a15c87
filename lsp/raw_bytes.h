#pragma once

// JSON carries only UTF-8, but a comment of a mission file may hold any
// byte, and a client may send such bytes as they are. Each byte that is not
// part of a well-formed UTF-8 sequence travels through the JSON library as
// one private-use character (U+10FF80 to U+10FFFF) and is turned back into
// the byte in the document's text and in what goes out. A text that holds
// one of those characters itself has it sent as the stand-ins of its four
// bytes, so that it too comes back as it was.

#include <string>
#include <string_view>

namespace zeb::lsp {

bool isValidUtf8(std::string_view text);

// The length of the well-formed UTF-8 sequence at text[at], or 0 when the
// byte there starts none.
std::size_t utf8SequenceLength(std::string_view text, std::size_t at);

// Each stray byte, and each byte of a character that is a stand-in, as its
// stand-in character.
std::string wrapRawBytes(std::string_view text);
// The same for a message's JSON, where a stand-in may also be written as
// the \u escapes of its surrogates.
std::string wrapRawBytesOfJson(std::string_view body);
// Each stand-in character as its byte again, in place.
void unwrapRawBytes(std::string& text);

}  // namespace zeb::lsp
