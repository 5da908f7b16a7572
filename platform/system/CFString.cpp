#include "system/CFString.h"

#include "system/CFRuntime.h"

#include <cstring>
#include <string>

struct __CFString : MVCFObject {
    std::string utf8;
    CFIndex length = 0;
};

namespace {

// Unicode of Mac Roman bytes 0x80..0xFF; the lower half is ASCII.
constexpr char16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,};

// Earlier editions of the mapping used these code points for three bytes.
struct Alias {
    char32_t code;
    unsigned char byte;
};
constexpr Alias kMacRomanAliases[] = {{0x0394, 0xC6}, {0x2126, 0xBD}, {0x00A4, 0xDB}};

void AppendUTF8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one code point at text[pos]; false for malformed, overlong or
// surrogate sequences.
bool NextCodePoint(const std::string& text, size_t& pos, char32_t& c) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    int extra = 0;
    char32_t min = 0;
    if (lead < 0x80) { c = lead; ++pos; return true; }
    if ((lead & 0xE0) == 0xC0) { extra = 1; c = lead & 0x1F; min = 0x80; }
    else if ((lead & 0xF0) == 0xE0) { extra = 2; c = lead & 0x0F; min = 0x800; }
    else if ((lead & 0xF8) == 0xF0) { extra = 3; c = lead & 0x07; min = 0x10000; }
    else return false;
    for (int i = 1; i <= extra; ++i) {
        if (pos + i >= text.size() || (byte(pos + i) & 0xC0) != 0x80) return false;
        c = (c << 6) | (byte(pos + i) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    pos += extra + 1;
    return true;
}

bool MacRomanByteOf(char32_t c, unsigned char& byte) {
    if (c < 0x80) { byte = static_cast<unsigned char>(c); return true; }
    for (int i = 0; i < 128; ++i) {
        if (kMacRomanHigh[i] == c) { byte = static_cast<unsigned char>(0x80 + i); return true; }
    }
    for (const Alias& alias : kMacRomanAliases) {
        if (alias.code == c) { byte = alias.byte; return true; }
    }
    return false;
}

// Converts bytes in the given encoding to UTF-8; false when they are not
// valid in it or the encoding is not one of ours.
bool ToUTF8(const char* bytes, size_t count, CFStringEncoding encoding, std::string& out) {
    out.clear();
    switch (encoding) {
    case kCFStringEncodingMacRoman:
        for (size_t i = 0; i < count; ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            AppendUTF8(out, b < 0x80 ? char32_t{b} : char32_t{kMacRomanHigh[b - 0x80]});
        }
        return true;
    case kCFStringEncodingASCII:
        for (size_t i = 0; i < count; ++i) {
            if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
        }
        out.assign(bytes, count);
        return true;
    case kCFStringEncodingUTF8: {
        out.assign(bytes, count);
        char32_t c;
        for (size_t pos = 0; pos < out.size();) {
            if (!NextCodePoint(out, pos, c)) return false;
        }
        return true;
    }
    default:
        return false;
    }
}

// Converts the string's UTF-8 to the encoding; false for a character the
// encoding cannot hold.
bool FromUTF8(const std::string& utf8, CFStringEncoding encoding, std::string& out) {
    out.clear();
    if (encoding == kCFStringEncodingUTF8) { out = utf8; return true; }
    if (encoding != kCFStringEncodingMacRoman && encoding != kCFStringEncodingASCII) return false;
    char32_t c;
    for (size_t pos = 0; pos < utf8.size();) {
        NextCodePoint(utf8, pos, c);  // stored text is always valid
        unsigned char byte;
        if (encoding == kCFStringEncodingASCII ? c >= 0x80 : !MacRomanByteOf(c, byte)) return false;
        out += static_cast<char>(encoding == kCFStringEncodingASCII ? static_cast<unsigned char>(c) : byte);
    }
    return true;
}

CFIndex CountCodePoints(const std::string& utf8) {
    CFIndex count = 0;
    for (unsigned char b : utf8) count += (b & 0xC0) != 0x80;
    return count;
}

CFStringRef MakeString(const char* bytes, size_t count, CFStringEncoding encoding) {
    std::string utf8;
    if (!ToUTF8(bytes, count, encoding, utf8)) return nullptr;
    auto* string = new __CFString;
    string->length = CountCodePoints(utf8);
    string->utf8 = std::move(utf8);
    return string;
}

}  // namespace

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef, ConstStr255Param pStr, CFStringEncoding encoding) {
    if (!pStr) return nullptr;
    return MakeString(reinterpret_cast<const char*>(pStr + 1), pStr[0], encoding);
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding) {
    if (!cStr) return nullptr;
    return MakeString(cStr, std::strlen(cStr), encoding);
}

CFIndex CFStringGetLength(CFStringRef theString) { return theString ? theString->length : 0; }

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize, CFStringEncoding encoding) {
    if (!theString || !buffer || bufferSize <= 0) return false;
    buffer[0] = '\0';
    std::string bytes;
    if (!FromUTF8(theString->utf8, encoding, bytes)) return false;
    if (static_cast<CFIndex>(bytes.size()) >= bufferSize) return false;
    std::memcpy(buffer, bytes.c_str(), bytes.size() + 1);
    return true;
}
