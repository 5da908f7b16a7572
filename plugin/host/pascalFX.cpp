#include "host/pascalFX.h"

#include "config/DataHandling.h"
#include "config/PluginDefines.h"
#include "config/prefsloader.h"
#include "memory/MacMemory.h"
#include "quartz/CoreGraphics.h"
#include "util/Diagnostics.h"

#include <cstring>

namespace {

pluginDataPtr AsConfig(void* block) { return static_cast<pluginDataPtr>(block); }

// Both blocks come from NewPtrClear; a block this allocator did not make
// reports 0, so only known sizes can be held against the record's.
void CheckCopyBlocks(void* source, void* dest)
{
    const Size sourceSize = GetPtrSize(static_cast<Ptr>(source));
    const Size destSize = GetPtrSize(static_cast<Ptr>(dest));
    if (sourceSize != destSize)
        Terminate("Non-Matching Blocks", "The Size of Source and Dest do not match");
    if (sourceSize != 0 && sourceSize < static_cast<Size>(sizeof(pluginDataRec)))
        Terminate("Non-Matching Blocks", "The blocks are too small for a configuration");
}

} // namespace

void InitPascal(void) {}

void InitMyPlugIn(void* theData)
{
    Assert(theData, "Unable to allocate new data structure");
    if (!theData)
        return;
    CreateConfigFile();
    InitPluginData(AsConfig(theData));
}

void InitPluginData(pluginDataRec* theConfig)
{
    Assert(theConfig, "Nil theConfig on InitPluginData");
    if (!theConfig)
        return;
    ResetConfig(theConfig, true);
    // Without readable saved settings the defaults stay; either way the
    // settings in force are written back at once.
    ReadConfig(theConfig);
    SaveConfig(theConfig);
}

void pGetConfigSize(UInt32* theSize)
{
    if (theSize)
        *theSize = sizeof(pluginDataRec);
}

void pNewConfig(void** theData)
{
    if (!theData)
        return;
    *theData = nullptr;
    *theData = NewPtrClear(sizeof(pluginDataRec));
    Assert(*theData, "Unable to allocate new data structure in pNewConfig");
}

void pCopyConfig(void* source, void* dest)
{
    // A record copied onto itself would lose its rendered image to the copy.
    if (!source || !dest || source == dest)
        return;
    CheckCopyBlocks(source, dest);
    std::memmove(dest, source, sizeof(pluginDataRec));
    pluginDataPtr copy = AsConfig(dest);
    // The copy owns its own rendered image; the original image stays with the source.
    if (copy->theRendered)
        copy->theRendered = CGImageCreateCopy(copy->theRendered);
    copy->theOriginalImage = nullptr;
}

void pUncopyConfig(void* theData)
{
    Assert(theData, "Nil data in pUncopyConfig");
    if (theData && AsConfig(theData)->theRendered)
        CGImageRelease(AsConfig(theData)->theRendered);
}

void pDestroyConfig(void* aConfig)
{
    if (aConfig)
        DisposePtr(static_cast<Ptr>(aConfig));
}

SInt16 GetMediaFormat(void* theData)
{
    return theData ? AsConfig(theData)->mediaType : cMediaNTSC;
}
