#include "memory/MacMemory.h"
#include "system/Files.h"
#include "system/Folders.h"
#include "system/Resources.h"

#include "support/TempConfigHome.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

constexpr ResType kType = MV_FOURCC('P', 'r', 'e', 'f');

void SetPString(Str255 out, const std::string& s) {
    out[0] = static_cast<unsigned char>(s.size());
    std::memcpy(out + 1, s.data(), s.size());
}

Handle HandleOf(const Bytes& bytes) {
    Handle h = NewHandle(static_cast<Size>(bytes.size()));
    if (!bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
    return h;
}

Bytes BytesOf(Handle h) { return Bytes(*h, *h + GetHandleSize(h)); }

void Append(Bytes& out, unsigned long long value, int count) {
    for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

class ResourcesTest : public ::testing::Test {
protected:
    FSSpec Spec(const std::string& name) {
        SInt16 vRefNum;
        SInt32 dirID;
        EXPECT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID), noErr);
        Str255 pname;
        SetPString(pname, name);
        FSSpec spec{};
        FSMakeFSSpec(vRefNum, dirID, pname, &spec);
        return spec;
    }
    fs::path PathOf(const std::string& name) const { return home.Prefs() / name; }

    // Creates name holding one resource of kType with the given id and data.
    void MakeFileWith(const std::string& name, ResID id, const Bytes& data, const char* resName = "") {
        const FSSpec spec = Spec(name);
        FSpCreateResFile(&spec, MV_FOURCC('q', 'r', 'v', ' '), kType, smSystemScript);
        ASSERT_EQ(ResError(), noErr);
        const ResFileRefNum refNum = FSpOpenResFile(&spec, fsRdWrPerm);
        ASSERT_NE(refNum, -1);
        Str255 pname;
        SetPString(pname, resName);
        AddResource(HandleOf(data), kType, id, pname);
        ASSERT_EQ(ResError(), noErr);
        CloseResFile(refNum);
        ASSERT_EQ(ResError(), noErr);
    }

    mvtest::TempConfigHome home;
};

TEST_F(ResourcesTest, NewFileIsAnEmptyResourceFile) {
    const FSSpec spec = Spec("new");
    FSpCreateResFile(&spec, MV_FOURCC('q', 'r', 'v', ' '), kType, smSystemScript);
    ASSERT_EQ(ResError(), noErr);
    Bytes expected(256, 0);
    for (unsigned field : {256u, 256u, 0u, 30u}) Append(expected, field, 4);
    std::copy(expected.begin() + 256, expected.end(), expected.begin());
    Append(expected, 0, 8);
    Append(expected, 28, 2);
    Append(expected, 30, 2);
    Append(expected, 0xFFFF, 2);
    EXPECT_EQ(mvtest::ReadBytes(PathOf("new")), expected);
    FInfo info;
    ASSERT_EQ(FSpGetFInfo(&spec, &info), noErr);
    if (info.fdType == 0) GTEST_SKIP() << "this file system keeps no extended attributes";
    EXPECT_EQ(info.fdType, kType);
    EXPECT_EQ(info.fdCreator, MV_FOURCC('q', 'r', 'v', ' '));
}

TEST_F(ResourcesTest, CreateNeverReplaces) {
    MakeFileWith("f", 1, {1, 2, 3});
    const Bytes before = mvtest::ReadBytes(PathOf("f"));
    const FSSpec spec = Spec("f");
    FSpCreateResFile(&spec, 0, 0, smSystemScript);
    EXPECT_EQ(ResError(), dupFNErr);
    EXPECT_EQ(mvtest::ReadBytes(PathOf("f")), before);
    // A dangling link is not followed to make a file elsewhere.
    fs::create_symlink(home.Root() / "elsewhere", PathOf("link"));
    const FSSpec link = Spec("link");
    FSpCreateResFile(&link, 0, 0, smSystemScript);
    EXPECT_EQ(ResError(), dupFNErr);
    EXPECT_FALSE(fs::exists(home.Root() / "elsewhere"));
}

TEST_F(ResourcesTest, ZeroLengthFileHasNoResources) {
    mvtest::WriteBytes(PathOf("empty"), {});
    const FSSpec spec = Spec("empty");
    FSpCreateResFile(&spec, 0, kType, smSystemScript);
    EXPECT_EQ(ResError(), noErr);
    const ResFileRefNum refNum = FSpOpenResFile(&spec, fsRdPerm);
    ASSERT_NE(refNum, -1);
    EXPECT_EQ(CurResFile(), refNum);
    EXPECT_EQ(Get1Resource(kType, 1), nullptr);
    EXPECT_EQ(ResError(), resNotFound);
    CloseResFile(refNum);
    EXPECT_EQ(CurResFile(), 0);
}

TEST_F(ResourcesTest, WrittenFileHasTheClassicLayout) {
    MakeFileWith("one", 1, {0xAA, 0xBB, 0xCC}, "Config Settings");
    Bytes expected(256, 0);
    const unsigned header[] = {256, 263, 7, 66};
    for (int i = 0; i < 4; ++i) {
        expected[i * 4] = 0;
        for (int b = 0; b < 4; ++b) expected[i * 4 + b] = static_cast<unsigned char>(header[i] >> (24 - 8 * b));
    }
    Append(expected, 3, 4);
    for (unsigned char b : {0xAA, 0xBB, 0xCC}) expected.push_back(b);
    for (unsigned field : header) Append(expected, field, 4);
    Append(expected, 0, 8);     // next map, file reference, attributes
    Append(expected, 28, 2);    // type list
    Append(expected, 50, 2);    // name list
    Append(expected, 0, 2);     // one type
    Append(expected, kType, 4);
    Append(expected, 0, 2);     // one resource
    Append(expected, 10, 2);    // its reference list
    Append(expected, 1, 2);     // id
    Append(expected, 0, 2);     // name offset
    Append(expected, 0, 4);     // attributes and data offset
    Append(expected, 0, 4);     // handle
    expected.push_back(15);
    for (char c : std::string("Config Settings")) expected.push_back(static_cast<unsigned char>(c));
    EXPECT_EQ(mvtest::ReadBytes(PathOf("one")), expected);
}

TEST_F(ResourcesTest, ResourcesSurviveReopening) {
    const FSSpec spec = Spec("many");
    FSpCreateResFile(&spec, 0, 0, smSystemScript);
    ResFileRefNum refNum = FSpOpenResFile(&spec, fsRdWrPerm);
    ASSERT_NE(refNum, -1);
    const ResType other = MV_FOURCC('S', 'T', 'R', '#');
    AddResource(HandleOf({1}), kType, 1, nullptr);
    AddResource(HandleOf({2, 2}), other, 128, nullptr);
    AddResource(HandleOf({}), kType, -5, nullptr);
    Str255 name;
    SetPString(name, "named");
    AddResource(HandleOf({4, 4, 4, 4}), other, 129, name);
    UpdateResFile(refNum);
    ASSERT_EQ(ResError(), noErr);
    CloseResFile(refNum);
    refNum = FSpOpenResFile(&spec, fsRdPerm);
    ASSERT_NE(refNum, -1);
    EXPECT_EQ(BytesOf(Get1Resource(kType, 1)), Bytes({1}));
    EXPECT_EQ(BytesOf(Get1Resource(other, 128)), Bytes({2, 2}));
    EXPECT_EQ(GetHandleSize(Get1Resource(kType, -5)), 0);
    EXPECT_EQ(BytesOf(Get1Resource(other, 129)), Bytes({4, 4, 4, 4}));
    EXPECT_EQ(Get1Resource(kType, 128), Get1Resource(kType, 128));
    EXPECT_EQ(Get1Resource(other, 1), nullptr);
    EXPECT_EQ(Get1Resource(kType, 1), Get1Resource(kType, 1));  // one handle per resource
    CloseResFile(refNum);
}

TEST_F(ResourcesTest, RemoveAndDetachHandOverTheHandle) {
    MakeFileWith("f", 1, {9, 8});
    const FSSpec spec = Spec("f");
    ResFileRefNum refNum = FSpOpenResFile(&spec, fsRdWrPerm);
    Handle h = Get1Resource(kType, 1);
    ASSERT_NE(h, nullptr);
    DetachResource(h);
    EXPECT_EQ(ResError(), noErr);
    Handle again = Get1Resource(kType, 1);
    EXPECT_NE(again, h);
    RemoveResource(again);
    EXPECT_EQ(ResError(), noErr);
    EXPECT_EQ(Get1Resource(kType, 1), nullptr);
    RemoveResource(again);
    EXPECT_EQ(ResError(), rmvResFailed);
    CloseResFile(refNum);
    // Both handles are the caller's now and outlive the file.
    EXPECT_EQ(BytesOf(h), Bytes({9, 8}));
    EXPECT_EQ(BytesOf(again), Bytes({9, 8}));
    DisposeHandle(h);
    DisposeHandle(again);
    refNum = FSpOpenResFile(&spec, fsRdPerm);
    EXPECT_EQ(Get1Resource(kType, 1), nullptr);
    CloseResFile(refNum);
}

TEST_F(ResourcesTest, OnlyTheCurrentFileIsSearched) {
    MakeFileWith("a", 1, {'a'});
    MakeFileWith("b", 2, {'b'});
    const FSSpec a = Spec("a"), b = Spec("b");
    const ResFileRefNum ra = FSpOpenResFile(&a, fsRdPerm);
    const ResFileRefNum rb = FSpOpenResFile(&b, fsRdPerm);
    EXPECT_EQ(CurResFile(), rb);
    EXPECT_EQ(Get1Resource(kType, 1), nullptr);
    UseResFile(ra);
    EXPECT_EQ(BytesOf(Get1Resource(kType, 1)), Bytes({'a'}));
    UseResFile(999);
    EXPECT_EQ(ResError(), resFNotFound);
    EXPECT_EQ(CurResFile(), ra);
    EXPECT_EQ(FSpOpenResFile(&a, fsRdPerm), ra);  // opening again gives the same file
    CloseResFile(ra);
    EXPECT_EQ(CurResFile(), rb);
    CloseResFile(rb);
    CloseResFile(rb);
    EXPECT_EQ(ResError(), resFNotFound);
}

TEST_F(ResourcesTest, ReadOnlyFilesRefuseChanges) {
    MakeFileWith("f", 1, {1});
    const FSSpec spec = Spec("f");
    const ResFileRefNum refNum = FSpOpenResFile(&spec, fsRdPerm);
    Handle data = HandleOf({5});
    AddResource(data, kType, 2, nullptr);
    EXPECT_EQ(ResError(), addResFailed);
    RemoveResource(Get1Resource(kType, 1));
    EXPECT_EQ(ResError(), rmvResFailed);
    EXPECT_EQ(FSpOpenResFile(&spec, fsRdWrPerm), -1);
    EXPECT_EQ(ResError(), opWrErr);
    CloseResFile(refNum);
    DisposeHandle(data);
}

TEST_F(ResourcesTest, AddRefusesAResourceHandle) {
    MakeFileWith("f", 1, {1});
    const FSSpec spec = Spec("f");
    const ResFileRefNum refNum = FSpOpenResFile(&spec, fsRdWrPerm);
    AddResource(Get1Resource(kType, 1), kType, 2, nullptr);
    EXPECT_EQ(ResError(), addResFailed);
    AddResource(nullptr, kType, 2, nullptr);
    EXPECT_EQ(ResError(), addResFailed);
    CloseResFile(refNum);
}

// Every one of these is refused without a crash.
TEST_F(ResourcesTest, DamagedFilesAreRefused) {
    MakeFileWith("good", 1, {1, 2, 3, 4}, "name");
    const Bytes good = mvtest::ReadBytes(PathOf("good"));
    std::vector<std::pair<std::string, Bytes>> damaged;
    for (size_t cut : {size_t{1}, size_t{15}, size_t{16}, size_t{200}, size_t{262}, good.size() - 1})
        damaged.emplace_back("cut at " + std::to_string(cut), Bytes(good.begin(), good.begin() + cut));
    damaged.emplace_back("garbage", Bytes(300, 0xA5));
    auto withAt = [&](size_t at, unsigned char value) {
        Bytes b = good;
        b.at(at) = value;
        return b;
    };
    const size_t map = mvtest::BigEndian(good, 4, 4);
    damaged.emplace_back("data length past the end", withAt(8, 0x7F));
    damaged.emplace_back("map length past the end", withAt(14, 0x7F));
    damaged.emplace_back("type list outside the map", withAt(map + 24, 0x7F));
    damaged.emplace_back("too many types", withAt(map + 28, 0x40));
    damaged.emplace_back("too many resources", withAt(map + 34, 0x40));
    damaged.emplace_back("block outside the data", withAt(map + 43, 0x40));
    damaged.emplace_back("name outside the map", withAt(map + 40, 0x40));
    Bytes longBlock = good;
    longBlock[256] = 0x10;  // block length far beyond the data
    damaged.emplace_back("block length", longBlock);
    for (const auto& [what, bytes] : damaged) {
        mvtest::WriteBytes(PathOf("bad"), bytes);
        const FSSpec spec = Spec("bad");
        EXPECT_EQ(FSpOpenResFile(&spec, fsRdPerm), -1) << what;
        EXPECT_EQ(ResError(), mapReadErr) << what;
    }
}

TEST_F(ResourcesTest, OversizedFilesAreRefusedUnread) {
    const FSSpec spec = Spec("huge");
    mvtest::WriteBytes(PathOf("huge"), {});
    fs::resize_file(PathOf("huge"), (16u << 20) + 1);
    EXPECT_EQ(FSpOpenResFile(&spec, fsRdPerm), -1);
    EXPECT_EQ(ResError(), mapReadErr);
}

TEST_F(ResourcesTest, WhatIsNoFileIsRefused) {
    fs::create_directories(PathOf("dir"));
    fs::create_symlink(home.Root() / "nowhere", PathOf("dangling"));
    const FSSpec dir = Spec("dir"), dangling = Spec("dangling"), missing = Spec("missing");
    EXPECT_EQ(FSpOpenResFile(&dir, fsRdPerm), -1);
    EXPECT_EQ(ResError(), notAFileErr);
    EXPECT_EQ(FSpOpenResFile(&dangling, fsRdWrPerm), -1);
    EXPECT_EQ(ResError(), fnfErr);
    EXPECT_EQ(FSpOpenResFile(&missing, fsRdWrPerm), -1);
    EXPECT_EQ(ResError(), fnfErr);
    EXPECT_FALSE(fs::exists(home.Root() / "nowhere"));
}

TEST_F(ResourcesTest, UnreadableFileIsRefused) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the super-user";
    MakeFileWith("f", 1, {1});
    fs::permissions(PathOf("f"), fs::perms::none);
    const FSSpec spec = Spec("f");
    EXPECT_EQ(FSpOpenResFile(&spec, fsRdPerm), -1);
    EXPECT_EQ(ResError(), permErr);
}

TEST_F(ResourcesTest, WritingReplacesTheFileWhole) {
    MakeFileWith("f", 1, {1});
    fs::permissions(PathOf("f"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // A second name for the old file shows whether it was rewritten in place.
    fs::create_hard_link(PathOf("f"), home.Root() / "old");
    const Bytes before = mvtest::ReadBytes(PathOf("f"));
    const FSSpec spec = Spec("f");
    const ResFileRefNum refNum = FSpOpenResFile(&spec, fsRdWrPerm);
    AddResource(HandleOf({2, 2}), kType, 2, nullptr);
    UpdateResFile(refNum);
    ASSERT_EQ(ResError(), noErr);
    CloseResFile(refNum);
    EXPECT_EQ(mvtest::ReadBytes(home.Root() / "old"), before);
    EXPECT_NE(mvtest::ReadBytes(PathOf("f")), before);
    EXPECT_EQ(fs::status(PathOf("f")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(home.Prefs())) ++entries;
    EXPECT_EQ(entries, 1u);  // no temporary file left behind
}

TEST_F(ResourcesTest, WritingThroughALinkKeepsTheLink) {
    fs::create_directories(home.Root() / "dotfiles");
    const FSSpec real = [&] {
        setenv("XDG_CONFIG_HOME", (home.Root() / "dotfiles").c_str(), 1);
        return Spec("real");
    }();
    FSpCreateResFile(&real, 0, 0, smSystemScript);
    setenv("XDG_CONFIG_HOME", home.Prefs().c_str(), 1);
    fs::create_directories(home.Prefs());
    fs::create_symlink(home.Root() / "dotfiles" / "real", PathOf("link"));
    const FSSpec link = Spec("link");
    const ResFileRefNum refNum = FSpOpenResFile(&link, fsRdWrPerm);
    ASSERT_NE(refNum, -1);
    AddResource(HandleOf({3}), kType, 1, nullptr);
    CloseResFile(refNum);
    ASSERT_EQ(ResError(), noErr);
    EXPECT_TRUE(fs::is_symlink(PathOf("link")));
    EXPECT_GT(fs::file_size(home.Root() / "dotfiles" / "real"), 286u);
}

TEST_F(ResourcesTest, FailedWriteLeavesTheOldFile) {
    MakeFileWith("f", 1, {1});
    const Bytes before = mvtest::ReadBytes(PathOf("f"));
    const FSSpec spec = Spec("f");
    const ResFileRefNum refNum = FSpOpenResFile(&spec, fsRdWrPerm);
    AddResource(HandleOf(Bytes(4096, 7)), kType, 2, nullptr);
    // A file size limit makes the write fail part-way, for any user.
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1000;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    UpdateResFile(refNum);
    const OSErr failed = ResError();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_NE(failed, noErr);
    EXPECT_EQ(mvtest::ReadBytes(PathOf("f")), before);
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(home.Prefs())) ++entries;
    EXPECT_EQ(entries, 1u);
    UpdateResFile(refNum);  // the change is still pending and now fits
    EXPECT_EQ(ResError(), noErr);
    CloseResFile(refNum);
    EXPECT_GT(fs::file_size(PathOf("f")), 4096u);
}

}  // namespace
