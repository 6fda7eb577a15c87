// libFuzzer target: the source formatter's promise (fuzz/format_promise.h)
// on every input the compiler accepts.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "frontend/source_reader.h"
#include "fuzz/format_promise.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    // The compiler reads line ends as the formatter's reader does, once.
    const zeb::fuzz::Listing original = zeb::fuzz::listingOf(text);
    zeb::normaliseLineEnds(text);
    if (original.status != 0) return 0;
    const auto source = std::make_shared<const std::string>(std::move(text));
    std::string formatted;
    const std::string_view broken = zeb::fuzz::formatPromiseBroken(source, original.out, formatted);
    if (!broken.empty()) {
        std::fprintf(stderr, "formatter promise broken: %.*s\n-- input --\n%s\n-- formatted --\n%s",
                     static_cast<int>(broken.size()), broken.data(), source->c_str(), formatted.c_str());
        std::abort();
    }
    return 0;
}
