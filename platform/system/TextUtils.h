/* String-list resources: numbered lists of length-prefixed texts kept in a
 * bundle's resources. */
#ifndef MV_TEXTUTILS_H
#define MV_TEXTUTILS_H

#include "MacTypes.h"

MV_EXTERN_C_BEGIN

/* Item `index` (from 1) of list `strListID`, taken from the resources of the
 * bundle whose code calls, else of the first loaded bundle holding the list.
 * An empty string when there is no such item. The caller is known by the
 * return address: a call in tail position speaks for the caller's caller. */
MV_API void GetIndString(Str255 theString, SInt16 strListID, SInt16 index);

MV_EXTERN_C_END

#endif
