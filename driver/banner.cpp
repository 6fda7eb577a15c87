#include "driver/banner.h"

#include <string>

namespace zeb {
namespace {

// __DATE__ is the build date ("Dec  8 2026"); the compiler takes it from
// SOURCE_DATE_EPOCH when that is set, which makes builds reproducible.
constexpr std::string_view kDateLine = "/* VTR - ZEB mission file parser [" __DATE__ "]   */\n";
constexpr std::string_view kContactLine = "/*       mailto:zebparser-dev@example.org        */\n";

static_assert(kDateLine.size() == 52, "banner lines are 51 characters wide");
static_assert(kContactLine.size() == 52, "banner lines are 51 characters wide");

}  // namespace

std::string_view bannerText() {
    static const std::string text = std::string(kDateLine) + std::string(kContactLine);
    return text;
}

}  // namespace zeb
