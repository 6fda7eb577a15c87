#include "analysis/diagnostic.h"

namespace zeb {

std::string_view severityWord(Severity severity) {
    switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: return "note";
    }
    return "error";
}

}  // namespace zeb
