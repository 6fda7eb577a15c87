#include "driver/input_fault.h"

#include <signal.h>
#include <unistd.h>

#include "frontend/source_reader.h"

namespace zeb {
namespace {

constexpr char kReadFailed[] = "input in flex scanner failed\n";

// Only async-signal-safe calls here. A fault inside a mapped source is the
// file losing pages: one write and the exit. Any other bus error is a real
// crash and gets the default action, core dump included.
extern "C" void onBusError(int signal, siginfo_t* info, void*) {
    // A positive code means the system raised it for a fault at si_addr; a
    // signal sent by a process carries no address.
    if (info->si_code > 0 && isInMappedSource(info->si_addr)) {
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, kReadFailed, sizeof kReadFailed - 1);
        ::_exit(1);
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    // A fault repeats when the handler returns, now under the default
    // action; a sent signal would not, so it is sent again.
    if (info->si_code <= 0) ::raise(signal);
}

}  // namespace

void reportLostInputPagesAsReadFailure() {
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, nullptr);
}

}  // namespace zeb
