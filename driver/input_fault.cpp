#include "driver/input_fault.h"

#include <signal.h>
#include <unistd.h>

namespace zeb {
namespace {

constexpr char kReadFailed[] = "input in flex scanner failed\n";

// Only async-signal-safe calls here: one write and the exit.
extern "C" void onLostInputPage(int) {
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, kReadFailed, sizeof kReadFailed - 1);
    ::_exit(1);
}

}  // namespace

void reportLostInputPagesAsReadFailure() {
    struct sigaction action {};
    action.sa_handler = onLostInputPage;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, nullptr);
}

}  // namespace zeb
