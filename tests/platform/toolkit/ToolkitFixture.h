// Windows of the built bundle's interface files on Qt's offscreen platform:
// the bundle is loaded as a host loads it, so the toolkit finds it by its
// identifier, and the dialog's custom control classes are registered as the
// plug-in registers them.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <dlfcn.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "support/StandInControls.h"
#include "system/CFBundle.h"
#include "toolkit/CarbonEvents.h"
#include "toolkit/Controls.h"
#include "toolkit/IBCarbonRuntime.h"
#include "toolkit/MacWindows.h"
#include "toolkit/ToolkitInternal.h"

namespace mvtest {

inline constexpr char kBundleID[] = "com.qrv.vidkitfx.morvatelle";

inline CFStringRef CF(const char* text) {
    return CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingUTF8);
}

inline OSType Code(const char* four) { return MV_FOURCC(four[0], four[1], four[2], four[3]); }

class ToolkitTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Off screen, unless pictures are asked for on a real display.
        if (!std::getenv("MV_SCREENSHOTS") || !std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (!dlopen(MV_BUNDLE_DIR "/Contents/Linux/morvatelle.so", RTLD_NOW | RTLD_LOCAL))
            FAIL() << dlerror();
    }
    void SetUp() override {
        classes_ = RegisterStandInControls();
        ASSERT_EQ(classes_.size(), 2u);
    }
    void TearDown() override {
        for (ToolboxObjectClassRef cls : classes_) UnregisterToolboxObjectClass(cls);
    }

    // Window `name` of interface file `nib` in the bundle; null and a failure otherwise.
    WindowRef Open(const char* nib, const char* name, OSStatus expect = noErr) {
        CFStringRef id = CF(kBundleID), nibName = CF(nib), windowName = CF(name);
        CFBundleRef bundle = CFBundleGetBundleWithIdentifier(id);
        EXPECT_NE(bundle, nullptr);
        IBNibRef nibRef = nullptr;
        WindowRef window = nullptr;
        EXPECT_EQ(CreateNibReferenceWithCFBundle(bundle, nibName, &nibRef), noErr);
        if (nibRef) {
            EXPECT_EQ(CreateWindowFromNib(nibRef, windowName, &window), expect) << name;
            DisposeNibReference(nibRef);
        }
        for (CFStringRef s : {id, nibName, windowName}) CFRelease(s);
        return window;
    }

    static QWidget* Widget(WindowRef window) { return window->widget; }

    static ControlRef Control(WindowRef window, const char* signature, SInt32 id) {
        const ControlID cid{Code(signature), id};
        ControlRef control = nullptr;
        GetControlByID(window, &cid, &control);
        return control;
    }

    // Runs `step` from the event loop once the next modal loop has started.
    static void Soon(std::function<void()> step, int ms = 0) { QTimer::singleShot(ms, std::move(step)); }

    std::vector<ToolboxObjectClassRef> classes_;
};

}  // namespace mvtest
