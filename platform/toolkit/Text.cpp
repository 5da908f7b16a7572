#include <QString>

#include <string>

#include "toolkit/ToolkitInternal.h"

namespace mvtk {

namespace {

// A string's text in `encoding`, as many bytes as it needs (at most four a character).
std::string BytesOf(CFStringRef text, CFStringEncoding encoding, bool& converted) {
    std::string bytes(static_cast<std::size_t>(CFStringGetLength(text)) * 4 + 1, '\0');
    converted = CFStringGetCString(text, bytes.data(), static_cast<CFIndex>(bytes.size()), encoding);
    bytes.resize(bytes.find('\0'));
    return bytes;
}

}  // namespace

std::string UTF8Of(CFStringRef text) {
    if (!text) return {};
    bool converted = false;
    return BytesOf(text, kCFStringEncodingUTF8, converted);
}

QString TextOfMacRoman(const char* bytes, std::size_t size) {
    const std::string roman(bytes, size);
    CFStringRef text = CFStringCreateWithCString(kCFAllocatorDefault, roman.c_str(), kCFStringEncodingMacRoman);
    if (!text) return {};
    const QString result = QString::fromStdString(UTF8Of(text));
    CFRelease(text);
    return result;
}

std::string MacRomanOf(const QString& text) {
    CFStringRef string =
        CFStringCreateWithCString(kCFAllocatorDefault, text.toUtf8().constData(), kCFStringEncodingUTF8);
    if (!string) return {};
    bool converted = false;
    std::string roman = BytesOf(string, kCFStringEncodingMacRoman, converted);
    CFRelease(string);
    return converted ? roman : std::string();
}

}  // namespace mvtk
