/* Process Manager: ending the application. */
#ifndef MV_PROCESSES_H
#define MV_PROCESSES_H

#include "MacTypes.h"

MV_EXTERN_C_BEGIN

/* Ends the process at once with a failure status; nothing is saved and no
 * exit handlers run, except the one a host installed below. */
MV_API __attribute__((noreturn)) void ExitToShell(void);

/* Run by ExitToShell just before the process ends, once, so that a host can
 * remove its temporary files; NULL for none. Answers the one it replaces. */
typedef void (*MVExitToShellProc)(void);
MV_API MVExitToShellProc MVInstallExitToShellProc(MVExitToShellProc proc);

MV_EXTERN_C_END

#endif
