// Any bytes as a bundle's Contents/Info.
#include <sstream>
#include <string>

#include "FuzzTarget.h"
#include "system/BundleLocator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream text(std::string(reinterpret_cast<const char*>(data), size));
    for (const auto& [key, value] : mvbundle::ParseInfo(text))
        if (key.size() + value.size() > size) __builtin_trap();
    return 0;
}
