/* Process Manager: ending the application. */
#ifndef MV_PROCESSES_H
#define MV_PROCESSES_H

#include "MacTypes.h"

MV_EXTERN_C_BEGIN

/* Ends the process at once with a failure status; nothing is saved and no
 * exit handlers run. */
MV_API __attribute__((noreturn)) void ExitToShell(void);

MV_EXTERN_C_END

#endif
