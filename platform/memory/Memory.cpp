// Blocks carry a small header in front of the caller's bytes: the size, so
// GetPtrSize works for blocks made by any party. Every live block and handle
// is also known by address, so a pointer from elsewhere (malloc, the stack,
// the middle of a block, a block already disposed of) is answered without
// reading the memory in front of it.
#include "memory/MacMemory.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

namespace {

// Keep the caller's bytes aligned as malloc's are.
struct alignas(std::max_align_t) BlockHeader {
    Size size;
    SInt8 state;
};

struct HandleRecord {
    Ptr master;
};

thread_local OSErr lgMemError = noErr;

// Made on first use and never destroyed, so blocks made or disposed of by
// other units' static constructors and destructors still find them.
std::mutex& LiveLock() {
    static auto* lock = new std::mutex;
    return *lock;
}
using LiveSet = std::unordered_set<std::uintptr_t>;
LiveSet& LiveBlocks() {  // the caller's address of each block
    static auto* live = new LiveSet;
    return *live;
}
LiveSet& LiveHandles() {  // each handle's address
    static auto* live = new LiveSet;
    return *live;
}

bool IsLive(const LiveSet& live, const void* p) {
    if (!p) return false;
    std::lock_guard lock(LiveLock());
    return live.count(reinterpret_cast<std::uintptr_t>(p)) != 0;
}

// Adds p to live; false when memory for the entry is not there.
// By address only: the block's bytes may not be written yet.
bool Remember(LiveSet& live, std::uintptr_t address) {
    try {
        std::lock_guard lock(LiveLock());
        live.insert(address);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Removes p from live; false when it was not there.
bool Forget(LiveSet& live, const void* p) {
    std::lock_guard lock(LiveLock());
    return live.erase(reinterpret_cast<std::uintptr_t>(p)) != 0;
}

BlockHeader* HeaderOf(Ptr p) { return reinterpret_cast<BlockHeader*>(p) - 1; }

Ptr AllocBlock(Size byteCount, bool clear) {
    lgMemError = memFullErr;
    if (byteCount < 0 || static_cast<size_t>(byteCount) > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
    size_t total = sizeof(BlockHeader) + static_cast<size_t>(byteCount);
    void* raw = clear ? std::calloc(1, total) : std::malloc(total);
    if (!raw) return nullptr;
    const Ptr p = static_cast<Ptr>(raw) + sizeof(BlockHeader);
    if (!Remember(LiveBlocks(), reinterpret_cast<std::uintptr_t>(p))) {
        std::free(raw);
        return nullptr;
    }
    HeaderOf(p)->size = byteCount;
    HeaderOf(p)->state = 0;
    lgMemError = noErr;
    return p;
}

Handle AllocHandle(Size byteCount, bool clear) {
    Ptr data = AllocBlock(byteCount, clear);
    if (!data) return nullptr;
    auto* record = new (std::nothrow) HandleRecord{data};
    if (!record || !Remember(LiveHandles(), reinterpret_cast<std::uintptr_t>(&record->master))) {
        delete record;
        DisposePtr(data);
        lgMemError = memFullErr;
        return nullptr;
    }
    // A Handle is the address of its master pointer.
    return &record->master;
}

HandleRecord* RecordFromHandle(Handle h) { return reinterpret_cast<HandleRecord*>(h); }

// The header of a live handle's block, or null.
BlockHeader* HeaderOfHandle(Handle h) {
    if (!IsLive(LiveHandles(), h) || !IsLive(LiveBlocks(), *h)) return nullptr;
    return HeaderOf(*h);
}

}  // namespace

extern "C" {

Ptr NewPtr(Size byteCount) { return AllocBlock(byteCount, false); }

Ptr NewPtrClear(Size byteCount) { return AllocBlock(byteCount, true); }

void DisposePtr(Ptr p) {
    // Memory that is not ours is left to whoever made it.
    if (Forget(LiveBlocks(), p)) std::free(HeaderOf(p));
    lgMemError = noErr;
}

Size GetPtrSize(Ptr p) { return IsLive(LiveBlocks(), p) ? HeaderOf(p)->size : 0; }

Handle NewHandle(Size byteCount) { return AllocHandle(byteCount, false); }

Handle NewHandleClear(Size byteCount) { return AllocHandle(byteCount, true); }

void DisposeHandle(Handle h) {
    if (!Forget(LiveHandles(), h)) return;
    HandleRecord* record = RecordFromHandle(h);
    DisposePtr(record->master);
    delete record;
}

Size GetHandleSize(Handle h) { return IsLive(LiveHandles(), h) ? GetPtrSize(*h) : 0; }

void SetHandleSize(Handle h, Size newSize) {
    if (!IsLive(LiveHandles(), h)) {
        lgMemError = nilHandleErr;
        return;
    }
    Size oldSize = GetPtrSize(*h);
    Ptr bigger = AllocBlock(newSize, true);
    if (!bigger) return;
    std::memcpy(bigger, *h, static_cast<size_t>(oldSize < newSize ? oldSize : newSize));
    HeaderOf(bigger)->state = HGetState(h);
    DisposePtr(*h);
    *h = bigger;
}

void HLock(Handle h) {
    if (BlockHeader* header = HeaderOfHandle(h)) header->state = static_cast<SInt8>(header->state | kHandleLockedBit);
}

void HUnlock(Handle h) {
    if (BlockHeader* header = HeaderOfHandle(h)) header->state = static_cast<SInt8>(header->state & ~kHandleLockedBit);
}

SInt8 HGetState(Handle h) {
    const BlockHeader* header = HeaderOfHandle(h);
    return header ? header->state : 0;
}

void HSetState(Handle h, SInt8 flags) {
    if (BlockHeader* header = HeaderOfHandle(h)) header->state = flags;
}

void MoveHHi(Handle) {}

OSErr MemError(void) { return lgMemError; }

}  // extern "C"
