#include "system/Files.h"
#include "system/Folders.h"

#include "support/TempConfigHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct PName {
    Str255 text{};
    explicit PName(const std::string& s) {
        text[0] = static_cast<unsigned char>(s.size());
        std::memcpy(text + 1, s.data(), s.size());
    }
};

SInt32 PrefsDirID() {
    SInt16 vRefNum = 0;
    SInt32 dirID = 0;
    EXPECT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID), noErr);
    EXPECT_EQ(vRefNum, kMVVolumeRefNum);
    return dirID;
}

std::string PathOf(const FSSpec& spec) {
    FSRef ref;
    EXPECT_EQ(FSpMakeFSRef(&spec, &ref), noErr);
    UInt8 path[4096];
    EXPECT_EQ(FSRefMakePath(&ref, path, sizeof path), noErr);
    return reinterpret_cast<const char*>(path);
}

class FilesTest : public ::testing::Test {
protected:
    mvtest::TempConfigHome home;
};

TEST_F(FilesTest, PreferencesFolderIsCreatedPrivate) {
    const fs::path deep = home.Root() / "a" / "b" / "prefs";
    setenv("XDG_CONFIG_HOME", (deep.string() + "/").c_str(), 1);
    const SInt32 dirID = PrefsDirID();
    ASSERT_TRUE(fs::is_directory(deep));
    struct stat info;
    ASSERT_EQ(stat(deep.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    FSSpec spec;
    EXPECT_EQ(FSMakeFSSpec(kMVVolumeRefNum, dirID, PName("x").text, &spec), fnfErr);
    EXPECT_EQ(PrefsDirID(), dirID);  // the same folder keeps its id
}

TEST_F(FilesTest, PreferencesFolderFollowsTheEnvironmentAtEachCall) {
    const SInt32 first = PrefsDirID();
    EXPECT_TRUE(fs::is_directory(home.Prefs()));
    setenv("HOME", home.Root().c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    const SInt32 second = PrefsDirID();
    EXPECT_NE(first, second);
    EXPECT_TRUE(fs::is_directory(home.Root() / ".config"));
    // A relative path is not a valid base directory and is ignored.
    setenv("XDG_CONFIG_HOME", "relative/prefs", 1);
    EXPECT_EQ(PrefsDirID(), second);
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(PrefsDirID(), second);
}

TEST_F(FilesTest, FindFolderRefusals) {
    SInt16 vRefNum;
    SInt32 dirID;
    EXPECT_EQ(FindFolder(kOnSystemDisk, MV_FOURCC('d', 'e', 's', 'k'), kDontCreateFolder, &vRefNum, &dirID), fnfErr);
    EXPECT_EQ(FindFolder(3, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID), nsvErr);
    EXPECT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, nullptr, &dirID), paramErr);
    mvtest::WriteBytes(home.Root() / "file", {1});
    setenv("XDG_CONFIG_HOME", (home.Root() / "file").c_str(), 1);
    EXPECT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID), dirNFErr);
}

TEST_F(FilesTest, MakeFSSpecTellsWhatExists) {
    const SInt32 dirID = PrefsDirID();
    FSSpec spec;
    EXPECT_EQ(FSMakeFSSpec(kMVVolumeRefNum, dirID, PName("kwtrp-Prefs").text, &spec), fnfErr);
    EXPECT_EQ(spec.parID, dirID);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(spec.name + 1), spec.name[0]), "kwtrp-Prefs");
    mvtest::WriteBytes(home.Prefs() / "kwtrp-Prefs", {});
    EXPECT_EQ(FSMakeFSSpec(0, dirID, PName("kwtrp-Prefs").text, &spec), noErr);
    EXPECT_EQ(PathOf(spec), (home.Prefs() / "kwtrp-Prefs").string());
    fs::create_symlink(home.Root() / "nowhere", home.Prefs() / "dangling");
    EXPECT_EQ(FSMakeFSSpec(0, dirID, PName("dangling").text, &spec), noErr);
}

TEST_F(FilesTest, MakeFSSpecRefusesBadNamesAndFolders) {
    const SInt32 dirID = PrefsDirID();
    FSSpec spec;
    for (const std::string& name : std::vector<std::string>{"", ".", "..", "a/b", "a:b", std::string(64, 'n')})
        EXPECT_EQ(FSMakeFSSpec(0, dirID, PName(name).text, &spec), bdNamErr) << name;
    EXPECT_EQ(FSMakeFSSpec(0, dirID, PName(std::string(63, 'n')).text, &spec), fnfErr);
    EXPECT_EQ(FSMakeFSSpec(0, 12345, PName("x").text, &spec), dirNFErr);
    EXPECT_EQ(FSMakeFSSpec(7, dirID, PName("x").text, &spec), nsvErr);
}

TEST_F(FilesTest, NamesAreMacRoman) {
    const SInt32 dirID = PrefsDirID();
    FSSpec spec;
    const unsigned char name[] = {4, 'c', 'a', 'f', 0x8E};  // é
    EXPECT_EQ(FSMakeFSSpec(0, dirID, name, &spec), fnfErr);
    mvtest::WriteBytes(home.Prefs() / "caf\u00E9", {});
    EXPECT_EQ(FSMakeFSSpec(0, dirID, name, &spec), noErr);
}

TEST_F(FilesTest, DeleteRemovesFilesLinksAndEmptyFolders) {
    const SInt32 dirID = PrefsDirID();
    const fs::path target = home.Root() / "target";
    mvtest::WriteBytes(target, {7});
    fs::create_symlink(target, home.Prefs() / "link");
    fs::create_directory(home.Prefs() / "empty");
    fs::create_directories(home.Prefs() / "full" / "inner");
    FSSpec spec;
    for (const char* name : {"link", "empty"}) {
        ASSERT_EQ(FSMakeFSSpec(0, dirID, PName(name).text, &spec), noErr);
        EXPECT_EQ(FSpDelete(&spec), noErr) << name;
        EXPECT_FALSE(fs::exists(fs::symlink_status(home.Prefs() / name))) << name;
    }
    EXPECT_TRUE(fs::exists(target));  // a link goes, never what it names
    ASSERT_EQ(FSMakeFSSpec(0, dirID, PName("full").text, &spec), noErr);
    EXPECT_EQ(FSpDelete(&spec), fBsyErr);
    EXPECT_TRUE(fs::exists(home.Prefs() / "full" / "inner"));
    EXPECT_EQ(FSMakeFSSpec(0, dirID, PName("gone").text, &spec), fnfErr);
    EXPECT_EQ(FSpDelete(&spec), fnfErr);
}

TEST_F(FilesTest, PathsAndReferences) {
    FSRef ref;
    Boolean isDirectory = false;
    ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(home.Root().c_str()), &ref, &isDirectory), noErr);
    EXPECT_TRUE(isDirectory);
    UInt8 path[4096];
    ASSERT_EQ(FSRefMakePath(&ref, path, sizeof path), noErr);
    EXPECT_EQ(fs::path(reinterpret_cast<char*>(path)), fs::canonical(home.Root()));
    UInt8 tiny[4];
    EXPECT_NE(FSRefMakePath(&ref, tiny, sizeof tiny), noErr);
    const std::string missing = (home.Root() / "missing").string();
    EXPECT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(missing.c_str()), &ref, nullptr), fnfErr);
    FSRef junk{};
    EXPECT_EQ(FSRefMakePath(&junk, path, sizeof path), fnfErr);
}

}  // namespace
