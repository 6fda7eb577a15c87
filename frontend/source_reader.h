#pragma once

// Reads a mission file into memory once, the way a text stream delivers it:
// each carriage-return/line-feed pair becomes one line feed. The scanner and
// the mission's label lists then share this text, which is always followed
// by a zero byte (the scanner's end mark).
//
// A regular file is mapped rather than copied: the pages the system already
// holds for the file become the text, with no fresh memory to clear and no
// copy. One with "\r\n" line ends is copied out of its mapping, normalised
// on the way. Whatever cannot be mapped (a pipe, a file the system reports as
// empty, a file whose last page has no room for the end mark) is read in
// large blocks instead.

#include <memory>
#include <string>
#include <string_view>

namespace zeb {

struct SourceText {
    std::shared_ptr<const void> owner;  // keeps the text alive; null when reading failed
    std::string_view text;              // text.data()[text.size()] is a zero byte
    std::string failureMessage;         // the fatal message to print on failure
    bool mapped = false;                // the text is the file's mapping itself
};

SourceText readSource(int fd);

// Whether address lies in the mapping of a source that readSource gave and
// whose owner is still alive: a fault there means the file lost pages under
// the run. Safe to call from a signal handler.
bool isInMappedSource(const void* address);

// Turns every "\r\n" of text into "\n", in place.
void normaliseLineEnds(std::string& text);

}  // namespace zeb
