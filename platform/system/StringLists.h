// Inside the platform library only: the text of a string list, one item a
// line (UTF-8, a line may end in CR LF), as a bundle's resources hold it.
#pragma once

#include "MacTypes.h"

#include <istream>
#include <string>

namespace mvstrings {

// Item `index` (from 1) of the list; "" when the list is shorter.
std::string ItemOfList(std::istream& list, SInt16 index);

// The item in Mac Roman, as the original platform's lists held it; "" when
// it is not UTF-8 or has characters Mac Roman lacks.
std::string MacRomanText(const std::string& utf8);

}  // namespace mvstrings
