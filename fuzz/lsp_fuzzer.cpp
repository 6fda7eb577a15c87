// libFuzzer target: the language server of `zeb lsp`, in process. The first
// byte chooses how the rest reaches it:
//
// - odd: the bytes go to the server as they are, read to their end (broken
//   framing, lengths past the end or of any size, bodies that are not JSON,
//   any method with any params). The server must not crash, must end by
//   itself, and must write only well-framed JSON-RPC messages.
//
// - even: the bytes are a script for a client that frames every message
//   correctly, so that the fuzzer gets deep (lsp_scripted_session.h): edits,
//   opens and closes of three documents with positions anywhere (past the
//   end, inside a character, between the two halves of one), requests of
//   every feature in between, messages the server must answer or ignore,
//   and points where the client waits for the server.
//
// What a scripted session checks, each time the client waits:
// - every request gets exactly one answer with its id, and a well-formed
//   request is never answered with an internal error or "invalid params";
// - every range in an answer lies inside the text the request was made on,
//   and a symbol's selection range lies inside its range;
// - every publication of diagnostics names a version the client sent, and
//   equals what `zeb check` finds in that version's text
//   (fuzz/lsp_expected_diagnostics.h); a document's versions are published
//   in order, and a publication without version (a closed document) is
//   empty;
// - since messages already waiting are read before an analysis starts and
//   a stale result is never sent, the last publication for each document
//   the client changed is, once the server has read everything, the one
//   for its latest version (or the empty one when it was closed);
// - the session ends as the script says, with the status it should have.
//
// ZEB_LSP_FUZZ_LOG=1 keeps the server's lines on standard error, and
// ZEB_LSP_FUZZ_TRACE=1 shows what a scripted session writes and reads.

#include <signal.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "fuzz/lsp_scripted_session.h"
#include "fuzz/lsp_session.h"

namespace zeb::fuzz {
namespace {

using nlohmann::json;

void checkRawOutput(std::string output) {
    json message;
    while (takeMessage(output, message)) {
        const bool answer = message.contains("id") && !message.contains("method") &&
                            message.contains("result") != message.contains("error");
        const bool published = message.value("method", "") == "textDocument/publishDiagnostics";
        if (!answer && !published) brokenPromise("the server sent " + message.dump());
    }
    if (!output.empty()) brokenPromise("the output ends inside a message");
}

}  // namespace
}  // namespace zeb::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The server logs each fault of framing to standard error; thousands of
    // lines a second would cost more than the runs themselves. The target's
    // own reports are written with stdio.
    if (std::getenv("ZEB_LSP_FUZZ_LOG") == nullptr) std::cerr.setstate(std::ios::badbit);
    // The server ignores it too, but only once it runs: a script may write
    // to a server that has just ended.
    ::signal(SIGPIPE, SIG_IGN);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    if ((mode & 1) == 0) {
        zeb::fuzz::runScriptedSession(mode, data + 1, size - 1);
        return 0;
    }
    int status = -1;
    zeb::fuzz::checkRawOutput(
        zeb::fuzz::serveBytes(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), status));
    if (status != 0 && status != 1) zeb::fuzz::brokenPromise("the server ended with " + std::to_string(status));
    return 0;
}
