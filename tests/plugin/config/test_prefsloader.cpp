#include "config/DataHandling.h"
#include "config/prefsloader.h"
#include "memory/MacMemory.h"
#include "system/Files.h"
#include "system/Folders.h"
#include "system/Resources.h"

#include "support/TempConfigHome.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <bit>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

constexpr ResType kPref = MV_FOURCC('P', 'r', 'e', 'f');

pluginDataRec Distinctive() {
    pluginDataRec r{};
    r.startRel = relRect{0.125, 0.75, 0.0625, 0.5};
    r.endRel = relRect{-0.5, 1.5, 1.0 / 3, 2.0 / 3};
    for (int n = 0; n < cNumSliders; ++n) r.sliders[n] = static_cast<SInt16>(n == 0 ? 150 : n == 1 ? -5 : 100 + n);
    for (int n = 0; n < cNumColors; ++n)
        r.colors[n] = RGBColor{static_cast<UInt16>(0x1100 * (n + 1)), static_cast<UInt16>(n + 1), 0xFFFF};
    r.frameStartColor = RGBColor{65535, 1, 2};
    r.frameEndColor = RGBColor{3, 4, 65534};
    r.mediaType = cMediaHD;
    r.sync = true;
    r.outside = false;
    r.clipActive = true;
    r.keepProps = true;
    return r;
}

pluginDataRec Defaults() {
    pluginDataRec r{};
    ResetConfig(&r, true);
    return r;
}

// The persistent fields only: the image references and padding are not saved.
void ExpectSameSettings(const pluginDataRec& a, const pluginDataRec& b) {
    EXPECT_EQ(std::memcmp(&a.startRel, &b.startRel, sizeof a.startRel), 0);
    EXPECT_EQ(std::memcmp(&a.endRel, &b.endRel, sizeof a.endRel), 0);
    EXPECT_EQ(std::memcmp(a.sliders, b.sliders, sizeof a.sliders), 0);
    EXPECT_EQ(std::memcmp(a.colors, b.colors, sizeof a.colors), 0);
    EXPECT_EQ(std::memcmp(&a.frameStartColor, &b.frameStartColor, sizeof(RGBColor)), 0);
    EXPECT_EQ(std::memcmp(&a.frameEndColor, &b.frameEndColor, sizeof(RGBColor)), 0);
    EXPECT_EQ(a.mediaType, b.mediaType);
    EXPECT_EQ(a.sync, b.sync);
    EXPECT_EQ(a.outside, b.outside);
    EXPECT_EQ(a.clipActive, b.clipActive);
    EXPECT_EQ(a.keepProps, b.keepProps);
}

template <typename T>
T At(const Bytes& record, size_t offset) {
    T value;
    std::memcpy(&value, record.data() + offset, sizeof value);
    return value;
}

template <typename T>
void PutAt(Bytes& record, size_t offset, T value, bool bigEndian = false) {
    std::memcpy(record.data() + offset, &value, sizeof value);
    if (bigEndian && std::endian::native == std::endian::little)
        std::reverse(record.begin() + static_cast<long>(offset), record.begin() + static_cast<long>(offset + sizeof value));
}

// A record as a processor of the given order and size would write it.
Bytes ForeignRecord(const pluginDataRec& r, UInt32 size, bool bigEndian, UInt32 version = cConfigSaveVersion) {
    Bytes record(size, 0);
    PutAt(record, 0, size, bigEndian);
    PutAt(record, 4, version, bigEndian);
    const double rels[8] = {r.startRel.left, r.startRel.right, r.startRel.top, r.startRel.bottom,
                            r.endRel.left,   r.endRel.right,   r.endRel.top,   r.endRel.bottom};
    for (int i = 0; i < 8; ++i) PutAt(record, 8 + 8 * i, rels[i], bigEndian);
    for (int n = 0; n < cNumColors; ++n) {
        PutAt(record, 72 + 6 * n, r.colors[n].red, bigEndian);
        PutAt(record, 74 + 6 * n, r.colors[n].green, bigEndian);
        PutAt(record, 76 + 6 * n, r.colors[n].blue, bigEndian);
    }
    for (int n = 0; n < cNumSliders; ++n) PutAt(record, 108 + 2 * n, r.sliders[n], bigEndian);
    for (const auto& [at, c] : {std::pair{120, r.frameStartColor}, std::pair{126, r.frameEndColor}}) {
        PutAt(record, at, c.red, bigEndian);
        PutAt(record, at + 2, c.green, bigEndian);
        PutAt(record, at + 4, c.blue, bigEndian);
    }
    PutAt(record, 132, r.mediaType, bigEndian);
    record[134] = r.keepProps;
    record[135] = r.outside;
    record[136] = r.sync;
    record[137] = r.clipActive;
    return record;
}

class PrefsTest : public ::testing::Test {
protected:
    fs::path SettingsPath() const { return home.Prefs() / "kwtrp-Prefs"; }

    // The data of the file's one resource, found through the file's header.
    Bytes StoredRecord() const {
        const Bytes file = mvtest::ReadBytes(SettingsPath());
        const size_t data = mvtest::BigEndian(file, 0, 4);
        const size_t length = mvtest::BigEndian(file, data, 4);
        return Bytes(file.begin() + static_cast<long>(data + 4), file.begin() + static_cast<long>(data + 4 + length));
    }

    // Replaces the settings resource's data with the given bytes.
    void StoreResource(const Bytes& data) {
        CreateConfigFile();
        SInt16 vRefNum;
        SInt32 dirID;
        ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID), noErr);
        const unsigned char name[] = "\x0Bkwtrp-Prefs";
        FSSpec spec;
        ASSERT_EQ(FSMakeFSSpec(vRefNum, dirID, name, &spec), noErr);
        const ResFileRefNum refNum = FSpOpenResFile(&spec, fsRdWrPerm);
        ASSERT_NE(refNum, -1);
        if (Handle old = Get1Resource(kPref, 1)) {
            RemoveResource(old);
            DisposeHandle(old);
        }
        Handle h = NewHandle(static_cast<Size>(data.size()));
        if (!data.empty()) std::memcpy(*h, data.data(), data.size());
        AddResource(h, kPref, 1, reinterpret_cast<const unsigned char*>("\x0F" "Config Settings"));
        CloseResFile(refNum);
        ASSERT_EQ(ResError(), noErr);
    }

    // ReadConfig refuses what is there and leaves the record alone; the
    // next save replaces it with settings that read back.
    void ExpectRefusedThenReplaced(const std::string& what) {
        SCOPED_TRACE(what);
        pluginDataRec r = Distinctive();
        const pluginDataRec before = r;
        EXPECT_FALSE(ReadConfig(&r));
        EXPECT_EQ(std::memcmp(&r, &before, sizeof r), 0);
        pluginDataRec saved = Defaults();
        saved.sliders[2] = 77;
        EXPECT_TRUE(SaveConfig(&saved));
        pluginDataRec back = Distinctive();
        EXPECT_TRUE(ReadConfig(&back));
        ExpectSameSettings(back, saved);
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(SettingsPath())));
    }

    mvtest::TempConfigHome home;
};

TEST_F(PrefsTest, WithoutAFileNothingIsReadOrSaved) {
    pluginDataRec r = Defaults();
    EXPECT_FALSE(ReadConfig(&r));
    EXPECT_FALSE(SaveConfig(&r));
    ExpectSameSettings(r, Defaults());
    EXPECT_FALSE(fs::exists(SettingsPath()));
    EXPECT_TRUE(fs::is_directory(home.Prefs()));  // the Preferences folder is made where missing
    CreateConfigFile();
    EXPECT_FALSE(ReadConfig(&r));  // an empty resource file holds no settings yet
    EXPECT_TRUE(SaveConfig(&r));
    EXPECT_TRUE(ReadConfig(&r));
}

TEST_F(PrefsTest, NullRecordsAreRefused) {
    CreateConfigFile();
    EXPECT_FALSE(SaveConfig(nullptr));
    EXPECT_FALSE(ReadConfig(nullptr));
    pluginDataRec r = Defaults();
    Handle h = NewHandleClear(cConfigSaveSize);
    Handle small = NewHandleClear(cConfigSaveSize - 1);
    EXPECT_FALSE(Config2Save(nullptr, h));
    EXPECT_FALSE(Config2Save(&r, nullptr));
    EXPECT_FALSE(Config2Save(&r, small));
    EXPECT_FALSE(Save2Config(nullptr, h));
    EXPECT_FALSE(Save2Config(&r, nullptr));
    EXPECT_TRUE(Config2Save(&r, h));
    EXPECT_TRUE(Save2Config(&r, h));
    DisposeHandle(h);
    DisposeHandle(small);
}

TEST_F(PrefsTest, SavedRecordSitsAtTheTableOffsets) {
    CreateConfigFile();
    const pluginDataRec r = Distinctive();
    pluginDataRec copy = r;
    ASSERT_TRUE(SaveConfig(&copy));
    const Bytes record = StoredRecord();
    ASSERT_EQ(record.size(), 396u);
    EXPECT_EQ(At<UInt32>(record, 0), 396u);
    EXPECT_EQ(At<UInt32>(record, 4), 3u);
    const double rels[8] = {0.125, 0.75, 0.0625, 0.5, -0.5, 1.5, 1.0 / 3, 2.0 / 3};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(At<double>(record, 8 + 8 * i), rels[i]) << i;
    for (int n = 0; n < cNumColors; ++n) {
        EXPECT_EQ(At<UInt16>(record, 72 + 6 * n), r.colors[n].red);
        EXPECT_EQ(At<UInt16>(record, 74 + 6 * n), r.colors[n].green);
        EXPECT_EQ(At<UInt16>(record, 76 + 6 * n), r.colors[n].blue);
    }
    for (int n = 0; n < cNumSliders; ++n) EXPECT_EQ(At<SInt16>(record, 108 + 2 * n), r.sliders[n]);
    EXPECT_EQ(At<UInt16>(record, 120), 65535);
    EXPECT_EQ(At<UInt16>(record, 122), 1);
    EXPECT_EQ(At<UInt16>(record, 124), 2);
    EXPECT_EQ(At<UInt16>(record, 126), 3);
    EXPECT_EQ(At<UInt16>(record, 128), 4);
    EXPECT_EQ(At<UInt16>(record, 130), 65534);
    EXPECT_EQ(At<SInt16>(record, 132), 3);
    EXPECT_EQ(record[134], 1);  // keepProps
    EXPECT_EQ(record[135], 0);  // outside
    EXPECT_EQ(record[136], 1);  // sync
    EXPECT_EQ(record[137], 1);  // clipActive
    const std::string misc = "Config save for qr/v iMovie plug-in";
    ASSERT_EQ(record[138], misc.size());
    EXPECT_EQ(std::string(record.begin() + 139, record.begin() + 139 + 35), misc);
    for (size_t i = 139 + 35; i < 396; ++i) EXPECT_EQ(record[i], 0) << i;
    const Bytes file = mvtest::ReadBytes(SettingsPath());
    const std::string text(file.begin(), file.end());
    EXPECT_NE(text.find("\x0F" "Config Settings"), std::string::npos);
    EXPECT_NE(text.find("Pref"), std::string::npos);
}

TEST_F(PrefsTest, SaveThenReadRestoresEveryField) {
    CreateConfigFile();
    pluginDataRec saved = Distinctive();
    ASSERT_TRUE(SaveConfig(&saved));
    pluginDataRec back = Defaults();
    back.theOriginalImage = reinterpret_cast<CGImageRef>(0x10);
    back.theRendered = reinterpret_cast<CGImageRef>(0x20);
    ASSERT_TRUE(ReadConfig(&back));
    ExpectSameSettings(back, saved);
    EXPECT_EQ(back.sliders[0], 150);
    EXPECT_EQ(back.sliders[1], -5);
    EXPECT_EQ(back.theOriginalImage, reinterpret_cast<CGImageRef>(0x10));
    EXPECT_EQ(back.theRendered, reinterpret_cast<CGImageRef>(0x20));
}

TEST_F(PrefsTest, SavingAgainKeepsOneSettingsResource) {
    CreateConfigFile();
    pluginDataRec r = Distinctive();
    ASSERT_TRUE(SaveConfig(&r));
    const auto size = fs::file_size(SettingsPath());
    r.sliders[2] = 42;
    ASSERT_TRUE(SaveConfig(&r));
    EXPECT_EQ(fs::file_size(SettingsPath()), size);
    pluginDataRec back = Defaults();
    ASSERT_TRUE(ReadConfig(&back));
    EXPECT_EQ(back.sliders[2], 42);
}

TEST_F(PrefsTest, MiscStringIsNotCompared) {
    Bytes record = ForeignRecord(Distinctive(), cConfigSaveSize, false);
    record[138] = 5;
    std::memcpy(record.data() + 139, "other", 5);
    StoreResource(record);
    pluginDataRec r = Defaults();
    EXPECT_TRUE(ReadConfig(&r));
    ExpectSameSettings(r, Distinctive());
}

TEST_F(PrefsTest, UnacceptableRecordsAreRefused) {
    const pluginDataRec d = Distinctive();
    const struct {
        const char* what;
        Bytes data;
    } cases[] = {
        {"version 2", ForeignRecord(d, cConfigSaveSize, false, cConfigSaveVersionPPC)},
        {"version 4", ForeignRecord(d, cConfigSaveSize, false, 4)},
        {"394-byte big-endian record", ForeignRecord(d, 394, true)},
        {"396 bytes in the other byte order", ForeignRecord(d, 396, true)},
        {"size field 394 on 396 bytes", [&] {
             Bytes b = ForeignRecord(d, cConfigSaveSize, false);
             PutAt<UInt32>(b, 0, 394);
             return b;
         }()},
        {"short block", Bytes(10, 0)},
        {"empty block", Bytes{}},
    };
    for (const auto& c : cases) {
        StoreResource(c.data);
        ExpectRefusedThenReplaced(c.what);
    }
}

TEST_F(PrefsTest, DamagedFilesAreRefusedThenReplaced) {
    fs::create_directories(home.Prefs());
    const Bytes garbage(500, 0xC3);
    mvtest::WriteBytes(SettingsPath(), garbage);
    ExpectRefusedThenReplaced("garbage");

    const Bytes good = mvtest::ReadBytes(SettingsPath());
    mvtest::WriteBytes(SettingsPath(), Bytes(good.begin(), good.begin() + 300));
    ExpectRefusedThenReplaced("truncated");

    mvtest::WriteBytes(SettingsPath(), {});
    fs::resize_file(SettingsPath(), (16u << 20) + 1);
    ExpectRefusedThenReplaced("oversized");

    fs::remove(SettingsPath());
    fs::create_directory(SettingsPath());
    ExpectRefusedThenReplaced("an empty folder in its place");
}

TEST_F(PrefsTest, DanglingLinkIsReplacedNeverFollowed) {
    fs::create_directories(home.Prefs());
    const fs::path elsewhere = home.Root() / "elsewhere";
    fs::create_symlink(elsewhere, SettingsPath());
    CreateConfigFile();
    EXPECT_FALSE(fs::exists(elsewhere));
    ExpectRefusedThenReplaced("dangling link");
    EXPECT_FALSE(fs::exists(elsewhere));
}

// Settings kept in a dotfiles folder and linked into place: the target is
// replaced in its own folder and the link stays a link.
TEST_F(PrefsTest, LinkedFileIsWrittenThroughTheLink) {
    const fs::path dotfiles = home.Root() / "dotfiles";
    fs::create_directories(dotfiles);
    fs::create_directories(home.Prefs());
    const fs::path target = dotfiles / "kwtrp-Prefs";
    CreateConfigFile();
    fs::rename(SettingsPath(), target);
    fs::create_symlink(target, SettingsPath());

    pluginDataRec saved = Distinctive();
    ASSERT_TRUE(SaveConfig(&saved));
    EXPECT_TRUE(fs::is_symlink(SettingsPath()));
    EXPECT_EQ(fs::read_symlink(SettingsPath()), target);
    pluginDataRec back = Defaults();
    ASSERT_TRUE(ReadConfig(&back));
    ExpectSameSettings(back, saved);
    for (const fs::path& folder : {dotfiles, home.Prefs()}) {
        size_t entries = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++entries;
        EXPECT_EQ(entries, 1u) << folder;
    }
}

TEST_F(PrefsTest, FolderWithContentsIsLeftAlone) {
    fs::create_directories(SettingsPath() / "keep");
    pluginDataRec r = Distinctive();
    EXPECT_FALSE(ReadConfig(&r));
    EXPECT_FALSE(SaveConfig(&r));
    EXPECT_TRUE(fs::is_directory(SettingsPath() / "keep"));
}

TEST_F(PrefsTest, FailedSaveKeepsThePreviousSettings) {
    CreateConfigFile();
    pluginDataRec first = Distinctive();
    ASSERT_TRUE(SaveConfig(&first));
    const Bytes before = mvtest::ReadBytes(SettingsPath());
    pluginDataRec second = Defaults();
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 400;  // the file needs more than this
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const Boolean result = SaveConfig(&second);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(result);
    EXPECT_EQ(mvtest::ReadBytes(SettingsPath()), before);
    pluginDataRec back = Defaults();
    ASSERT_TRUE(ReadConfig(&back));
    ExpectSameSettings(back, first);
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(home.Prefs())) ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST_F(PrefsTest, CreateConfigFileKeepsAnExistingFile) {
    CreateConfigFile();
    EXPECT_EQ(fs::file_size(SettingsPath()), 286u);
    pluginDataRec r = Distinctive();
    ASSERT_TRUE(SaveConfig(&r));
    const Bytes saved = mvtest::ReadBytes(SettingsPath());
    CreateConfigFile();
    EXPECT_EQ(mvtest::ReadBytes(SettingsPath()), saved);
}

// The start-up order: create, defaults, read, write back.
TEST_F(PrefsTest, StartUpLeavesARecordOfThisBuild) {
    StoreResource(ForeignRecord(Distinctive(), 394, true));
    CreateConfigFile();
    pluginDataRec r{};
    ResetConfig(&r, true);
    EXPECT_FALSE(ReadConfig(&r));
    EXPECT_TRUE(SaveConfig(&r));
    EXPECT_EQ(At<UInt32>(StoredRecord(), 0), cConfigSaveSize);
    ExpectSameSettings(r, Defaults());
}

}  // namespace
