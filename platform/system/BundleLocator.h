// Inside the platform library only: where the bundles of this process are.
// A bundle is known by its loaded shared library, which sits in
// `<root>/Contents/Linux/`.
#pragma once

#include <istream>
#include <map>
#include <string>
#include <vector>

namespace mvbundle {

// The bundle root holding this library file, or "" when it is in no bundle.
std::string RootOfLibrary(const std::string& libraryPath);

// The root of the bundle whose code holds this address, or "".
std::string RootOfAddress(const void* address);

// Roots of every loaded bundle, in load order, each once.
std::vector<std::string> LoadedRoots();

// The key = value lines of `<root>/Contents/Info`; empty when unreadable.
std::map<std::string, std::string> ReadInfo(const std::string& root);
// The same from any text: blank lines, lines starting with # and lines
// without = are passed over; the first of two equal keys stands.
std::map<std::string, std::string> ParseInfo(std::istream& text);

std::string ResourcesDir(const std::string& root);

} // namespace mvbundle
