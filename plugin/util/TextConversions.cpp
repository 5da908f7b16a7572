#include "util/TextConversions.h"

#include "util/PascalStrings.h"

#include <cstdio>

void Num2Text(SInt32 theNum, Str255 theText) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%ld", static_cast<long>(theNum));
    CopyCToPString(digits, theText);
}

CFStringRef MakeCFString(ConstStr255Param theText) {
    return CFStringCreateWithPascalString(kCFAllocatorDefault, theText, kCFStringEncodingMacRoman);
}

CFStringRef MakeCFStringOfC(const char* text) {
    Str255 pascal;
    CopyCToPString(text, pascal);
    return MakeCFString(pascal);
}
