#pragma once

// The scripted half of the language server's fuzz target (lsp_fuzzer.cpp):
// the bytes are decoded into what a client does, every message framed
// correctly, and the client checks each answer and publication as it goes.
//
// After the mode byte: four bytes that seed the framing variants and the
// escapes of texts, then the first document's text up to a zero byte, then
// operations, one byte each (its low four bits the kind, the high four its
// argument) followed by the bytes it takes: 0-5 an edit of a document (one
// to three changes of its text at byte offsets or at positions, anywhere,
// then the whole text sent, after changes with ranges that it replaces),
// 6 an open, 7 a close, 8-11 a request of a feature at a position (in the
// text, past its end, negative, not a number), 12 a message of another
// method, an answer nobody asked for or bytes that may not be JSON, 13 a
// broken header the server must skip, 14 a write of what is waiting, 15 a
// write and a wait for everything the server owes. Past the end of the
// bytes every read is zero. The mode byte's bits: 1 UTF-8 positions, 2-3
// the session's end (shutdown and exit, exit alone, the end of input, a
// message cut short by it), 4 escapes in texts, 5 a request before
// initialize, 6 framing variants, 7 a request after shutdown.

#include <cstddef>
#include <cstdint>

namespace zeb::fuzz {

// Runs the script on a server of its own; a broken promise aborts.
void runScriptedSession(std::uint8_t mode, const std::uint8_t* data, std::size_t size);

}  // namespace zeb::fuzz
