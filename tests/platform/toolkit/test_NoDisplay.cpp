// Without a display a window cannot be opened: one clear line and an error
// code, never the toolkit's own abort. No application object exists here.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>

#include "system/CFBundle.h"
#include "toolkit/IBCarbonRuntime.h"

TEST(NoDisplay, OpeningAWindowFailsClearly) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
    ASSERT_NE(dlopen(MV_BUNDLE_DIR "/Contents/Linux/morvatelle.so", RTLD_NOW | RTLD_LOCAL), nullptr) << dlerror();
    CFStringRef id = CFStringCreateWithCString(kCFAllocatorDefault, "com.qrv.vidkitfx.morvatelle", kCFStringEncodingUTF8);
    CFStringRef nib = CFStringCreateWithCString(kCFAllocatorDefault, "about", kCFStringEncodingUTF8);
    IBNibRef ref = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(CreateNibReferenceWithCFBundle(CFBundleGetBundleWithIdentifier(id), nib, &ref), kMVNoDisplayErr);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ref, nullptr);
    EXPECT_NE(said.find("no display"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    CFRelease(id);
    CFRelease(nib);
}
