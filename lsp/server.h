#pragma once

// `zeb lsp`: the language server over a pair of descriptors.

#include <string>

namespace zeb::lsp {

// Serves one client until it sends "exit" or its input ends. The status is
// 0 when a shutdown request came before, 1 otherwise.
int runLanguageServer(int inFd, int outFd, const std::string& version);

}  // namespace zeb::lsp
