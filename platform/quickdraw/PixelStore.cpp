#include "quickdraw/PixelStore.h"

#include <cstdlib>
#include <mutex>
#include <vector>

namespace mv {
namespace {

// Enough for the few frames a render run holds at once, without letting a
// burst of big buffers pin memory for the rest of the process.
constexpr std::size_t kMaxKept = 8;
constexpr std::size_t kMaxKeptBytes = std::size_t{256} << 20;

struct Block {
    void* pixels;
    std::size_t bytes;
};

class Store {
public:
    // Room for every block it keeps, so keeping one never allocates: a world
    // disposed of when memory has run out must not fail (or throw) for it.
    Store() { kept_.reserve(kMaxKept); }

    void* Take(std::size_t bytes) {
        std::lock_guard lock(mutex_);
        // Most recently freed first: its pages are the likeliest to be cached.
        for (std::size_t i = kept_.size(); i-- > 0;) {
            if (kept_[i].bytes != bytes) continue;
            void* p = kept_[i].pixels;
            keptBytes_ -= bytes;
            kept_.erase(kept_.begin() + static_cast<std::ptrdiff_t>(i));
            return p;
        }
        return nullptr;
    }

    // False when the block is not worth keeping; the caller frees it.
    bool Keep(void* pixels, std::size_t bytes) {
        std::lock_guard lock(mutex_);
        if (bytes > kMaxKeptBytes) return false;
        while (!kept_.empty() &&
               (kept_.size() >= kMaxKept || keptBytes_ + bytes > kMaxKeptBytes)) {
            std::free(kept_.front().pixels);
            keptBytes_ -= kept_.front().bytes;
            kept_.erase(kept_.begin());
        }
        kept_.push_back({pixels, bytes});
        keptBytes_ += bytes;
        return true;
    }

private:
    std::mutex mutex_;
    std::vector<Block> kept_;
    std::size_t keptBytes_ = 0;
};

// Never destroyed: worlds disposed by other static destructors still find it.
Store& TheStore() {
    static Store* store = new Store;
    return *store;
}

std::size_t RoundUp(std::size_t n) { return (n + kPixelAlign - 1) / kPixelAlign * kPixelAlign; }

// Every block ends with one vector's width to spare: a vector kernel, ours or
// a library's converting into a frame (swscale's packed-RGB writers store a
// byte past the row), may run past a row's last pixel, and the last row has
// no padding of its own when its bytes are a multiple of the alignment.
std::size_t BlockBytes(std::size_t bytes) { return RoundUp((bytes == 0 ? 1 : bytes) + kPixelAlign); }

// Frame-sized blocks stay on ordinary pages. Huge pages save faults only
// where a fresh one is cheap; on virtual machines that hand free memory back
// to the host, each fresh huge page costs far more to fault in than the 512
// small pages it replaces, and a render pays that for every frame image.
void* NewBlock(std::size_t bytes) { return std::aligned_alloc(kPixelAlign, bytes); }

}  // namespace

std::size_t PixelRowBytes(std::size_t width) { return RoundUp(width * 4); }

void* AcquirePixels(std::size_t bytes) {
    bytes = BlockBytes(bytes);
    if (void* p = TheStore().Take(bytes)) return p;
    return NewBlock(bytes);
}

void ReleasePixels(void* pixels, std::size_t bytes) {
    if (!pixels) return;
    bytes = BlockBytes(bytes);
    if (!TheStore().Keep(pixels, bytes)) std::free(pixels);
}

}  // namespace mv
