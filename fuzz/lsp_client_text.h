#pragma once

// A document as an editor holds it, for the protocol fuzz target. An editor
// keeps UTF-16, in which an edit can fall between the two halves of a
// character beyond U+FFFF; here the text is bytes in which such a half
// stands as its three-byte form (ED A0..BF xx), and any other byte that
// starts no character stays as it is, the way a client passes on a file it
// could not decode.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/lsp_expected_diagnostics.h"

namespace zeb::fuzz {

// The byte offset of a position as the client counts it, in UTF-16 units
// or bytes. A line past the last is the end of the text, a character past
// the end of its line is the line's end. In UTF-16, a position between the
// halves of a character beyond U+FFFF splits the character into its two
// halves, so the text changes; in UTF-8, a position inside a character
// stands inside it.
std::size_t clientOffset(std::string& text, std::uint64_t line, std::uint64_t character, Units units);

// The text as a JSON string, quotes included, written the way clients do:
// each half of a split character as a \u escape, each other byte that
// starts no character as itself, and each character plain or escaped as
// the bits of `escapes` say, in turn. `received` becomes the text the
// server reads from it: a half followed by its other half is the character
// again, a half alone is U+FFFD, and everything else is as it was.
std::string jsonString(std::string_view text, std::uint64_t escapes, std::string& received);

}  // namespace zeb::fuzz
