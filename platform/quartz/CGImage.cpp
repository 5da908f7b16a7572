// Images and colour spaces: reference-counted, immutable.
#include <cstring>
#include <new>

#include "quartz/CGInternal.h"
#include "quickdraw/PixelStore.h"

CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void) {
    auto* space = new (std::nothrow) CGColorSpace;
    if (space) space->refs = 1;
    return space;
}

void CGColorSpaceRelease(CGColorSpaceRef space) {
    if (space && --space->refs == 0) delete space;
}

CGImageRef MVCreateImageFromRows(const std::uint8_t* rows, std::size_t rowBytes,
                                 std::size_t width, std::size_t height) {
    const std::size_t outRowBytes = mv::PixelRowBytes(width);
    if (height != 0 && outRowBytes > SIZE_MAX / height) return nullptr;
    auto* image = new (std::nothrow) CGImage;
    if (!image) return nullptr;
    image->bytes = outRowBytes * height;
    image->pixels = static_cast<std::uint8_t*>(mv::AcquirePixels(image->bytes));
    if (!image->pixels) {
        delete image;
        return nullptr;
    }
    image->refs = 1;
    image->width = width;
    image->height = height;
    image->rowBytes = outRowBytes;
    if (rowBytes == outRowBytes)
        std::memcpy(image->pixels, rows, image->bytes);
    else
        for (std::size_t y = 0; y < height; ++y)
            std::memcpy(image->pixels + y * outRowBytes, rows + y * rowBytes, width * 4);
    return image;
}

CGImageRef CGImageRetain(CGImageRef image) {
    if (image) ++image->refs;
    return image;
}

void CGImageRelease(CGImageRef image) {
    if (!image || --image->refs != 0) return;
    mv::ReleasePixels(image->pixels, image->bytes);
    delete image;
}

// Images never change, so a copy may share the pixels.
CGImageRef CGImageCreateCopy(CGImageRef image) { return CGImageRetain(image); }

size_t CGImageGetWidth(CGImageRef image) { return image ? image->width : 0; }
size_t CGImageGetHeight(CGImageRef image) { return image ? image->height : 0; }
size_t CGImageGetBytesPerRow(CGImageRef image) { return image ? image->rowBytes : 0; }
size_t CGImageGetBitsPerComponent(CGImageRef image) { return image ? 8 : 0; }
size_t CGImageGetBitsPerPixel(CGImageRef image) { return image ? 32 : 0; }

CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image) {
    return image ? kCGImageAlphaPremultipliedFirst : kCGImageAlphaNone;
}
