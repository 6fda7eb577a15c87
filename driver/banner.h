#pragma once

#include <string_view>

namespace zeb {

// The two comment lines written before anything else on every run.
std::string_view bannerText();

}  // namespace zeb
