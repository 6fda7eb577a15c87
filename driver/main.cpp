#include <unistd.h>

#include "driver/driver.h"
#include "driver/input_fault.h"
#include "model/mission.h"
#include "output/output_sink.h"

int main(int argc, char** argv) {
    zeb::reportLostInputPagesAsReadFailure();
    zeb::OutputSink out(STDOUT_FILENO);
    zeb::OutputSink err(STDERR_FILENO);
    return zeb::runZebparser(argc, argv, zeb::Mission::instance(), out, err);
}
