// String lists live in a bundle's resources as `strings/<id>.txt`, UTF-8,
// one item per line; items are handed out in Mac Roman, as the lists of the
// original platform held them.
#include "system/TextUtils.h"

#include "system/BundleLocator.h"
#include "system/StringLists.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>

namespace {

std::string ListPath(const std::string& root, SInt16 listID)
{
    return mvbundle::ResourcesDir(root) + "/strings/" + std::to_string(listID) + ".txt";
}

// nullopt when the bundle holds no such list; "" when the list lacks the item.
std::optional<std::string> ReadItem(const std::string& root, SInt16 listID, SInt16 index)
{
    std::ifstream list(ListPath(root, listID));
    if (!list)
        return std::nullopt;
    return mvstrings::ItemOfList(list, index);
}

// Code inside a bundle reads its own lists only; code outside any bundle
// (a host) gets the first loaded bundle that holds the list.
std::optional<std::string> FindItem(const void* caller, SInt16 listID, SInt16 index)
{
    if (const std::string own = mvbundle::RootOfAddress(caller); !own.empty())
        return ReadItem(own, listID, index);
    for (const std::string& root : mvbundle::LoadedRoots())
        if (auto item = ReadItem(root, listID, index))
            return item;
    return std::nullopt;
}

} // namespace

// Not inlined: the return address names the calling bundle.
__attribute__((noinline)) void GetIndString(Str255 theString, SInt16 strListID, SInt16 index)
{
    if (!theString)
        return;
    theString[0] = 0;
    if (index < 1)
        return;
    const auto item = FindItem(__builtin_return_address(0), strListID, index);
    if (!item)
        return;
    const std::string text = mvstrings::MacRomanText(*item);
    const size_t length = std::min<size_t>(text.size(), 255);
    std::memcpy(theString + 1, text.data(), length);
    theString[0] = static_cast<unsigned char>(length);
}
