// Blocks carry a small header in front of the caller's bytes: the size, so
// GetPtrSize works for blocks made by any party, and a tag that tells pointer
// blocks from foreign memory.
#include "memory/MacMemory.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr UInt32 kPtrTag = 0x4D565054;     // "MVPT"
constexpr UInt32 kHandleTag = 0x4D564844;  // "MVHD"
// Keep the caller's bytes aligned as malloc's are.
struct alignas(std::max_align_t) BlockHeader {
    Size size;
    UInt32 tag;
    SInt8 state;
};

thread_local OSErr lgMemError = noErr;

BlockHeader* HeaderOf(Ptr p) { return reinterpret_cast<BlockHeader*>(p) - 1; }

Ptr AllocBlock(Size byteCount, bool clear) {
    if (byteCount < 0 || static_cast<size_t>(byteCount) > SIZE_MAX - sizeof(BlockHeader)) {
        lgMemError = memFullErr;
        return nullptr;
    }
    size_t total = sizeof(BlockHeader) + static_cast<size_t>(byteCount);
    void* raw = clear ? std::calloc(1, total) : std::malloc(total);
    if (!raw) {
        lgMemError = memFullErr;
        return nullptr;
    }
    auto* header = static_cast<BlockHeader*>(raw);
    header->size = byteCount;
    header->tag = kPtrTag;
    header->state = 0;
    lgMemError = noErr;
    return reinterpret_cast<Ptr>(header + 1);
}

struct HandleRecord {
    UInt32 tag;
    Ptr master;
};

Handle AllocHandle(Size byteCount, bool clear) {
    Ptr data = AllocBlock(byteCount, clear);
    if (!data) return nullptr;
    auto* record = new (std::nothrow) HandleRecord{kHandleTag, data};
    if (!record) {
        DisposePtr(data);
        lgMemError = memFullErr;
        return nullptr;
    }
    // A Handle is the address of its master pointer, which is the record's second field.
    return &record->master;
}

HandleRecord* RecordFromHandle(Handle h) {
    return reinterpret_cast<HandleRecord*>(reinterpret_cast<char*>(h) - offsetof(HandleRecord, master));
}

}  // namespace

extern "C" {

Ptr NewPtr(Size byteCount) { return AllocBlock(byteCount, false); }

Ptr NewPtrClear(Size byteCount) { return AllocBlock(byteCount, true); }

void DisposePtr(Ptr p) {
    if (!p) return;
    BlockHeader* header = HeaderOf(p);
    header->tag = 0;
    std::free(header);
    lgMemError = noErr;
}

Size GetPtrSize(Ptr p) {
    if (!p || HeaderOf(p)->tag != kPtrTag) return 0;
    return HeaderOf(p)->size;
}

Handle NewHandle(Size byteCount) { return AllocHandle(byteCount, false); }

Handle NewHandleClear(Size byteCount) { return AllocHandle(byteCount, true); }

void DisposeHandle(Handle h) {
    if (!h) return;
    HandleRecord* record = RecordFromHandle(h);
    if (record->tag != kHandleTag) return;
    DisposePtr(record->master);
    record->tag = 0;
    delete record;
}

Size GetHandleSize(Handle h) {
    if (!h || RecordFromHandle(h)->tag != kHandleTag) return 0;
    return GetPtrSize(*h);
}

void SetHandleSize(Handle h, Size newSize) {
    if (!h || RecordFromHandle(h)->tag != kHandleTag) {
        lgMemError = nilHandleErr;
        return;
    }
    Size oldSize = GetPtrSize(*h);
    Ptr bigger = AllocBlock(newSize, true);
    if (!bigger) return;
    std::memcpy(bigger, *h, static_cast<size_t>(oldSize < newSize ? oldSize : newSize));
    HeaderOf(bigger)->state = HeaderOf(*h)->state;
    DisposePtr(*h);
    *h = bigger;
}

void HLock(Handle h) {
    if (h && *h) HeaderOf(*h)->state = static_cast<SInt8>(HeaderOf(*h)->state | kHandleLockedBit);
}

void HUnlock(Handle h) {
    if (h && *h) HeaderOf(*h)->state = static_cast<SInt8>(HeaderOf(*h)->state & ~kHandleLockedBit);
}

SInt8 HGetState(Handle h) { return (h && *h) ? HeaderOf(*h)->state : 0; }

void HSetState(Handle h, SInt8 flags) {
    if (h && *h) HeaderOf(*h)->state = flags;
}

void MoveHHi(Handle) {}

OSErr MemError(void) { return lgMemError; }

}  // extern "C"
