/* File Manager: FSSpec records and references to objects in folders
 * that FindFolder or FSPathMakeRef made known. Names are Mac Roman text of
 * one path component. */
#ifndef MV_FILES_H
#define MV_FILES_H

#include "MacTypes.h"

MV_EXTERN_C_BEGIN

enum {
    dskFulErr = -34,
    nsvErr = -35,
    bdNamErr = -37,
    fBsyErr = -47,
    dupFNErr = -48,
    opWrErr = -49,
    permErr = -54,
    notAFileErr = -1302
};

enum { fsCurPerm = 0, fsRdPerm = 1, fsWrPerm = 2, fsRdWrPerm = 3 };

/* The one volume every folder lies on. */
enum { kMVVolumeRefNum = -100 };

typedef struct FSSpec {
    SInt16 vRefNum;
    SInt32 parID;
    Str63 name;
} FSSpec;
typedef FSSpec* FSSpecPtr;

typedef struct FSRef {
    UInt8 hidden[80];
} FSRef;

typedef struct FInfo {
    OSType fdType;
    OSType fdCreator;
    UInt16 fdFlags;
    Point fdLocation;
    SInt16 fdFldr;
} FInfo;

/* Fills spec also when the object does not exist (fnfErr). An entry that
 * exists in any form, a dangling link too, gives noErr. */
MV_API OSErr FSMakeFSSpec(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FSSpec* spec);

/* Removes a file, a link (never its target) or an empty folder. */
MV_API OSErr FSpDelete(const FSSpec* spec);

/* The type and creator recorded when the file was created; zero where the
 * file system keeps no such record. */
MV_API OSErr FSpGetFInfo(const FSSpec* spec, FInfo* fndrInfo);

MV_API OSErr FSpMakeFSRef(const FSSpec* source, FSRef* newRef);
MV_API OSStatus FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory);
MV_API OSStatus FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize);

MV_EXTERN_C_END

#endif
