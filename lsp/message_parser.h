#pragma once

// A message's JSON, read quickly when it carries a whole document. The JSON
// library reads a string a character at a time, which for a document of
// 10 MB costs far more than analysing it; long strings are therefore cut
// out of the body and unescaped here, and the library reads the rest.

#include <nlohmann/json.hpp>
#include <string>

namespace zeb::lsp {

// The message, or a discarded value when the body is not JSON. The body's
// long strings are moved out of it.
nlohmann::json parseMessage(std::string& body);

}  // namespace zeb::lsp
