/* Resource Manager: typed, numbered, optionally named blocks of data kept
 * in a resource file. The file is the classic resource fork layout: a
 * 256-byte header area, the data (each block after its 4-byte length) and
 * the map (type list, reference lists, names), all fields big-endian. A
 * zero-length file reads as one without resources.
 *
 * Writing is atomic: UpdateResFile and CloseResFile write the whole file
 * beside the old one, flush it to the disk and rename it into place, so
 * the file on disk is always the old one or the new one, complete.
 * One thread at a time, as on the original system. */
#ifndef MV_RESOURCES_H
#define MV_RESOURCES_H

#include "MacTypes.h"
#include "system/Files.h"

MV_EXTERN_C_BEGIN

typedef SInt16 ResFileRefNum;

/* Script Manager code for the system's script. */
enum { smSystemScript = -1 };

/* Creates an empty resource file; dupFNErr where one exists already. An
 * existing zero-length file gets an empty map. */
MV_API void FSpCreateResFile(const FSSpec* spec, OSType creator, OSType fileType, ScriptCode scriptTag);

/* Opens the file and makes it current; -1 on failure (see ResError):
 * fnfErr for a missing file or a dangling link, notAFileErr for a folder,
 * permErr where the permission cannot be had, mapReadErr for a file that
 * is not a well-formed resource file. */
MV_API ResFileRefNum FSpOpenResFile(const FSSpec* spec, SInt8 permission);

MV_API void UseResFile(ResFileRefNum refNum);
/* 0 when no resource file is open. */
MV_API ResFileRefNum CurResFile(void);
MV_API OSErr ResError(void);

/* From the current file only; NULL (resNotFound) when it has none. The
 * handle belongs to the Resource Manager until detached or removed. */
MV_API Handle Get1Resource(ResType theType, ResID theID);

/* Takes the resource out of its file's map; the handle becomes the caller's. */
MV_API void RemoveResource(Handle theResource);
/* Adds theData, which must not be a resource already, to the current file. */
MV_API void AddResource(Handle theData, ResType theType, ResID theID, ConstStr255Param name);
MV_API void UpdateResFile(ResFileRefNum refNum);
/* Frees the handle's memory; the resource stays in the file. */
MV_API void ReleaseResource(Handle theResource);
/* The handle becomes an ordinary block owned by the caller. */
MV_API void DetachResource(Handle theResource);
/* Writes a changed file and frees the handles of its resources. */
MV_API void CloseResFile(ResFileRefNum refNum);

MV_EXTERN_C_END

#endif
