// Any bytes as a string list: every item the first bytes name, in Mac Roman.
#include <sstream>
#include <string>

#include "FuzzTarget.h"
#include "system/StringLists.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (SInt16 index : {SInt16{-1}, SInt16{0}, SInt16{1}, SInt16{2}, SInt16{7}, SInt16{255}}) {
        std::istringstream list(text);
        const std::string item = mvstrings::ItemOfList(list, index);
        if (mvstrings::MacRomanText(item).size() > item.size()) __builtin_trap();
    }
    return 0;
}
