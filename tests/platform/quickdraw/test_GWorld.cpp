#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "quickdraw/QuickDraw.h"

namespace {

Rect R(SInt16 top, SInt16 left, SInt16 bottom, SInt16 right) { return Rect{top, left, bottom, right}; }

struct World {
    GWorldPtr gw = nullptr;
    explicit World(Rect r) { EXPECT_EQ(NewGWorld(&gw, 32, &r, nullptr, nullptr, 0), noErr); }
    ~World() { DisposeGWorld(gw); }
};

TEST(NewGWorld, PixMapDescribesAlignedArgbRowsOverTheBounds) {
    for (SInt16 width : {1, 7, 16, 17, 640, 1921}) {
        World w(R(10, 20, 15, SInt16(20 + width)));
        ASSERT_NE(w.gw, nullptr);
        PixMapHandle pm = GetGWorldPixMap(w.gw);
        ASSERT_NE(pm, nullptr);
        EXPECT_EQ((*pm)->pixelSize, 32);
        EXPECT_EQ((*pm)->pixelFormat, OSType{k32ARGBPixelFormat});
        EXPECT_GE(GetPixRowBytes(pm), 4 * width);
        EXPECT_EQ(GetPixRowBytes(pm) % 16, 0);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(GetPixBaseAddr(pm)) % 16, 0u);
        Rect bounds;
        GetPortBounds(w.gw, &bounds);
        EXPECT_EQ(bounds.left, 20);
        EXPECT_EQ(bounds.top, 10);
        EXPECT_EQ(bounds.right, 20 + width);
        EXPECT_EQ(bounds.bottom, 15);
        const BitMap* bits = GetPortBitMapForCopyBits(w.gw);
        EXPECT_EQ(bits->baseAddr, GetPixBaseAddr(pm));
        EXPECT_EQ(bits->rowBytes, GetPixRowBytes(pm));
        // Every byte of every row is writable, and a vector's width past the
        // last row, where converters may store (the sanitizers watch this).
        std::memset(GetPixBaseAddr(pm), 0x5A, std::size_t(GetPixRowBytes(pm)) * 5 + 64);
    }
}

TEST(NewGWorld, RejectsWhatItCannotMake) {
    GWorldPtr gw = reinterpret_cast<GWorldPtr>(1);
    const Rect r = R(0, 0, 10, 10);
    EXPECT_EQ(NewGWorld(&gw, 16, &r, nullptr, nullptr, 0), paramErr);
    EXPECT_EQ(gw, nullptr);
    const Rect inverted = R(0, 10, 10, 0);
    EXPECT_EQ(NewGWorld(&gw, 32, &inverted, nullptr, nullptr, 0), paramErr);
    EXPECT_EQ(NewGWorld(&gw, 32, nullptr, nullptr, nullptr, 0), paramErr);
    EXPECT_EQ(NewGWorld(nullptr, 32, &r, nullptr, nullptr, 0), paramErr);
}

TEST(NewGWorld, ReportsMemFullWhenThePixelsCannotBeAddressed) {
    if (sizeof(void*) != 4) GTEST_SKIP() << "only a 32-bit address space is sure to be too small";
    GWorldPtr gw = nullptr;
    const Rect huge = R(-32768, -32768, 32767, 32767);
    EXPECT_EQ(NewGWorld(&gw, 32, &huge, nullptr, nullptr, 0), memFullErr);
    EXPECT_EQ(gw, nullptr);
}

TEST(NewGWorld, EmptyWorldIsUsable) {
    World w(R(0, 0, 0, 0));
    ASSERT_NE(w.gw, nullptr);
    EXPECT_NE(GetPixBaseAddr(GetGWorldPixMap(w.gw)), nullptr);
}

// A frame-sized world made and disposed per frame gets the same pixels back.
TEST(NewGWorld, ReusesFreedPixelsOfTheSameSize) {
    const Rect frame = R(0, 0, 1080, 1920);
    GWorldPtr a = nullptr, b = nullptr;
    ASSERT_EQ(NewGWorld(&a, 32, &frame, nullptr, nullptr, 0), noErr);
    Ptr first = GetPixBaseAddr(GetGWorldPixMap(a));
    DisposeGWorld(a);
    ASSERT_EQ(NewGWorld(&b, 32, &frame, nullptr, nullptr, 0), noErr);
    EXPECT_EQ(GetPixBaseAddr(GetGWorldPixMap(b)), first);
    DisposeGWorld(b);
}

// A world over the caller's pixels draws into them and leaves them to the caller.
TEST(NewGWorldFromPtr, DrawsIntoTheCallersPixels) {
    std::uint32_t pixels[3 * 5] = {};
    const Rect r = R(0, 0, 3, 4);  // 4 wide in rows of 5
    GWorldPtr gw = nullptr;
    ASSERT_EQ(NewGWorldFromPtr(&gw, k32ARGBPixelFormat, &r, nullptr, nullptr, 0, reinterpret_cast<Ptr>(pixels), 20), noErr);
    EXPECT_EQ(GetPixBaseAddr(GetGWorldPixMap(gw)), reinterpret_cast<Ptr>(pixels));
    EXPECT_EQ(GetPixRowBytes(GetGWorldPixMap(gw)), 20);
    CGrafPtr saved;
    GDHandle device;
    GetGWorld(&saved, &device);
    SetGWorld(gw, nullptr);
    const RGBColor white{0xFFFF, 0xFFFF, 0xFFFF};
    RGBBackColor(&white);
    EraseRect(&r);
    SetGWorld(saved, device);
    DisposeGWorld(gw);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(pixels[i], i % 5 == 4 ? 0u : 0xFFFFFFFFu) << i;

    const struct {
        UInt32 format;
        Ptr buffer;
        SInt32 rowBytes;
    } bad[] = {{1, reinterpret_cast<Ptr>(pixels), 20}, {0, nullptr, 20}, {0, reinterpret_cast<Ptr>(pixels), 12}};
    for (const auto& b : bad) {
        EXPECT_EQ(NewGWorldFromPtr(&gw, b.format, &r, nullptr, nullptr, 0, b.buffer, b.rowBytes), paramErr);
        EXPECT_EQ(gw, nullptr);
    }
}

TEST(PixelsState, LockingIsRecordedAndRestorable) {
    World w(R(0, 0, 4, 4));
    PixMapHandle pm = GetGWorldPixMap(w.gw);
    EXPECT_EQ(GetPixelsState(pm) & pixelsLocked, 0u);
    const GWorldFlags before = GetPixelsState(pm);
    EXPECT_TRUE(LockPixels(pm));
    EXPECT_NE(GetPixelsState(pm) & pixelsLocked, 0u);
    SetPixelsState(pm, before);
    EXPECT_EQ(GetPixelsState(pm), before);
    LockPixels(pm);
    UnlockPixels(pm);
    EXPECT_EQ(GetPixelsState(pm) & pixelsLocked, 0u);
    EXPECT_FALSE(LockPixels(nullptr));
}

TEST(CurrentPort, SetAndRestore) {
    World a(R(0, 0, 2, 2)), b(R(0, 0, 3, 3));
    CGrafPtr savePort;
    GDHandle saveDevice;
    GetGWorld(&savePort, &saveDevice);
    SetGWorld(a.gw, nullptr);
    GrafPtr port;
    GetPort(&port);
    EXPECT_EQ(port, a.gw);
    SetPort(b.gw);
    CGrafPtr now;
    GDHandle device;
    GetGWorld(&now, &device);
    EXPECT_EQ(now, b.gw);
    SetGWorld(savePort, saveDevice);
    GetGWorld(&now, &device);
    EXPECT_EQ(now, savePort);
}

TEST(CurrentPort, DisposingTheCurrentWorldLeavesNoDanglingPort) {
    GWorldPtr gw = nullptr;
    const Rect r = R(0, 0, 2, 2);
    ASSERT_EQ(NewGWorld(&gw, 32, &r, nullptr, nullptr, 0), noErr);
    SetGWorld(gw, nullptr);
    DisposeGWorld(gw);
    CGrafPtr now;
    GDHandle device;
    GetGWorld(&now, &device);
    EXPECT_EQ(now, nullptr);
}

TEST(Colors, BelongToTheCurrentPort) {
    World a(R(0, 0, 2, 2)), b(R(0, 0, 2, 2));
    RGBColor c;
    SetGWorld(a.gw, nullptr);
    GetForeColor(&c);
    EXPECT_EQ(c.red, 0);  // a new port draws black on white
    GetBackColor(&c);
    EXPECT_EQ(c.blue, 0xFFFF);
    const RGBColor red = {0xFFFF, 0, 0}, green = {0, 0xFFFF, 0};
    RGBForeColor(&red);
    RGBBackColor(&green);
    SetGWorld(b.gw, nullptr);
    GetForeColor(&c);
    EXPECT_EQ(c.red, 0);
    SetGWorld(a.gw, nullptr);
    GetForeColor(&c);
    EXPECT_EQ(c.red, 0xFFFF);
    GetBackColor(&c);
    EXPECT_EQ(c.green, 0xFFFF);
    SetGWorld(nullptr, nullptr);
    RGBForeColor(&red);  // no port: nothing to colour, and no crash
}

}  // namespace
