#pragma once

// Reads a mission file into memory once, in large blocks, the way a text
// stream delivers it: each carriage-return/line-feed pair becomes one line
// feed. The scanner and the mission's label lists then share this text.

#include <memory>
#include <string>

namespace zeb {

struct SourceText {
    std::shared_ptr<const std::string> text;  // null when reading failed
    std::string failureMessage;               // the fatal message to print then
};

SourceText readSource(int fd);

// Turns every "\r\n" of text into "\n", in place.
void normaliseLineEnds(std::string& text);

}  // namespace zeb
