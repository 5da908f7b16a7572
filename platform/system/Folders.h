/* Folder Manager: where the system keeps the user's preferences. */
#ifndef MV_FOLDERS_H
#define MV_FOLDERS_H

#include "MacTypes.h"

MV_EXTERN_C_BEGIN

enum { kOnSystemDisk = -32768, kUserDomain = -32763 };
enum { kDontCreateFolder = 0, kCreateFolder = 1 };

#define kPreferencesFolderType MV_FOURCC('p', 'r', 'e', 'f')

/* The Preferences folder is $XDG_CONFIG_HOME (an absolute path), else
 * ~/.config, read at each call. It is created (mode 0700) where missing
 * whatever createFolder says, since on Linux it may not exist yet. Other
 * folder types give fnfErr. */
MV_API OSErr FindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, SInt16* foundVRefNum,
                        SInt32* foundDirID);

MV_EXTERN_C_END

#endif
