// The bundle shows a host its entry points and nothing else.
#include "BundleCopy.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

using namespace bundletest;

namespace {

// Defined symbols of the library's dynamic symbol table.
std::set<std::string> ExportedSymbols(const std::filesystem::path& library)
{
    const std::string command = "nm -D --defined-only '" + library.string() + "'";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::set<std::string> names;
    if (!pipe)
        return names;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line);
        std::string address, kind, name;
        if (fields >> address >> kind >> name)
            names.insert(name);
    }
    pclose(pipe);
    return names;
}

TEST(BundleExports, OnlyTheHostsEntryPoints)
{
    const auto library = BuiltBundle() / "Contents/Linux/morvatelle.so";
    const std::set<std::string> expected{
        "main",          "InitPascal",     "InitMyPlugIn",   "pGetConfigSize",
        "pNewConfig",    "pCopyConfig",    "pUncopyConfig",  "pDestroyConfig",
        "GetMediaFormat", "DoEffect",
#ifdef MV_WITH_DIALOG
        "ConfigurePlugIn",
#endif
    };
    EXPECT_EQ(ExportedSymbols(library), expected);
}

TEST(BundleExports, InfoNamesTheIdentifierAndTheLibrary)
{
    std::FILE* info = std::fopen((BuiltBundle() / "Contents/Info").c_str(), "r");
    ASSERT_NE(info, nullptr);
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, info))
        text += buffer;
    std::fclose(info);
    EXPECT_NE(text.find("CFBundleIdentifier = com.qrv.vidkitfx.morvatelle\n"), std::string::npos);
    EXPECT_NE(text.find("CFBundleExecutable = morvatelle.so\n"), std::string::npos);
}

} // namespace
