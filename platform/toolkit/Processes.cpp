#include "toolkit/Processes.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

std::atomic<MVExitToShellProc> lgExitProc{nullptr};

}  // namespace

MVExitToShellProc MVInstallExitToShellProc(MVExitToShellProc proc) { return lgExitProc.exchange(proc); }

void ExitToShell(void) {
    // Taken out first, so a proc that itself ends up here cannot run twice.
    if (const MVExitToShellProc proc = lgExitProc.exchange(nullptr)) proc();
    // What was already printed still reaches its reader.
    std::fflush(nullptr);
    _exit(EXIT_FAILURE);
}
