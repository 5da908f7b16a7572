#include "system/StringLists.h"

#include "system/CFString.h"

#include <vector>

namespace mvstrings {

std::string ItemOfList(std::istream& list, SInt16 index)
{
    std::string line;
    for (SInt16 item = 1; std::getline(list, line); ++item) {
        if (item == index) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
    }
    return std::string();
}

std::string MacRomanText(const std::string& utf8)
{
    CFStringRef text =
        CFStringCreateWithCString(kCFAllocatorDefault, utf8.c_str(), kCFStringEncodingUTF8);
    if (!text)
        return {};
    std::vector<char> buffer(utf8.size() + 1);
    const bool converted = CFStringGetCString(text, buffer.data(),
                                              static_cast<CFIndex>(buffer.size()),
                                              kCFStringEncodingMacRoman);
    CFRelease(text);
    return converted ? std::string(buffer.data()) : std::string();
}

}  // namespace mvstrings
