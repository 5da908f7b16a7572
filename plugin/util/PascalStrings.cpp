#include "util/PascalStrings.h"

#include <cstring>

namespace {

void Append(Str255 dest, const unsigned char* bytes, size_t count) {
    const size_t room = 255u - dest[0];
    if (count > room) count = room;
    std::memcpy(dest + 1 + dest[0], bytes, count);
    dest[0] = static_cast<unsigned char>(dest[0] + count);
}

}  // namespace

void CopyCToPString(const char* source, Str255 dest) {
    dest[0] = 0;
    PStrCatC(dest, source);
}

void CopyPToCString(ConstStr255Param source, char* dest) {
    std::memcpy(dest, source + 1, source[0]);
    dest[source[0]] = '\0';
}

void PStrCat(Str255 dest, ConstStr255Param source) {
    if (source) Append(dest, source + 1, source[0]);
}

void PStrCatC(Str255 dest, const char* source) {
    if (source) Append(dest, reinterpret_cast<const unsigned char*>(source), std::strlen(source));
}
