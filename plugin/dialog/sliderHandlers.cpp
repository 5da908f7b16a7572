#include "dialog/sliderHandlers.h"

#include "config/PluginDefines.h"
#include "dialog/carbonmacros.h"
#include "engine/callPixelFX.h"
#include "engine/lineEffect.h"
#include "host/iMovieGlue.h"
#include "util/Diagnostics.h"
#include "util/PascalStrings.h"
#include "util/TextConversions.h"

namespace {

constexpr OSType kSldr = MV_FOURCC('S', 'l', 'd', 'r');
constexpr OSType kLgnd = MV_FOURCC('L', 'g', 'n', 'd');
constexpr OSType kLabl = MV_FOURCC('L', 'a', 'b', 'l');

const ControlActionProcPtr lgSliderActions[cNumSliders] = {Slider1Action, Slider2Action, Slider3Action,
                                                           Slider4Action, Slider5Action, Slider6Action};
const char* const lgSliderMessages[cNumSliders] = {"Cannot access slider 1", "Cannot access slider 2",
                                                   "Cannot access slider 3", "Cannot access slider 4",
                                                   "Cannot access slider 5", "Cannot access slider 6"};

// "37%" in "Lgnd" n.
void SetLegend(SInt16 n, SInt32 theValue) {
    Str255 text;
    Num2Text(theValue, text);
    PStrCatC(text, "%");
    SimpleSetControlText(gConfigWorkSpace.theWindow, kLgnd, n, text);
}

void SliderAction(SInt16 n, ControlRef theControl) {
    const SInt32 v = GetControl32BitValue(theControl);
    gConfigWorkSpace.theConfig->sliders[n - 1] = static_cast<SInt16>(v);
    SetLegend(n, v);
    if (n == 1) RenderLineArt(gConfigWorkSpace.theConfig);
    ReRenderAndBlit();
}

}  // namespace

void SetupSliders(WindowRef theWindow) {
    const bool inUse[cNumSliders] = {cUsesSlider1 != 0, cUsesSlider2 != 0, cUsesSlider3 != 0,
                                     cUsesSlider4 != 0, cUsesSlider5 != 0, cUsesSlider6 != 0};
    for (SInt16 n = 1; n <= cNumSliders; ++n) {
        ControlRef slider = SimpleGetControlByID(theWindow, kSldr, n);
        Assert(slider, lgSliderMessages[n - 1]);
        gConfigWorkSpace.sliders[n - 1] = slider;
        if (inUse[n - 1]) {
            SetControlAction(slider, NewControlActionUPP(lgSliderActions[n - 1]));
            SetControl32BitValue(slider, gConfigWorkSpace.theConfig->sliders[n - 1]);
            SetLegend(n, gConfigWorkSpace.theConfig->sliders[n - 1]);
        } else {
            SimpleHideControl(theWindow, kSldr, n);
            SimpleHideControl(theWindow, kLgnd, n);
            SimpleHideControl(theWindow, kLabl, n);
        }
    }
    ControlRef scrubber = SimpleGetControlByID(theWindow, MV_FOURCC('C', 'l', 'p', 'S'), 1);
    Assert(scrubber, "Cannot access clip slider");
    gConfigWorkSpace.clipSlider = scrubber;
    SetControlAction(scrubber, NewControlActionUPP(ClipSliderAction));
    SetControl32BitValue(scrubber, gConfigWorkSpace.currFrameIndex);
    SetControl32BitMinimum(scrubber, 0);
    SetControl32BitMaximum(scrubber, gConfigWorkSpace.maxFrameIndex);
    SetFrameCounter(gConfigWorkSpace.currFrameIndex);
}

void SetFrameCounter(SInt32 thePosition) {
    Str255 text, last;
    Num2Text(thePosition, text);
    PStrCatC(text, "/");
    Num2Text(gConfigWorkSpace.maxFrameIndex, last);
    PStrCat(text, last);
    SimpleSetControlText(gConfigWorkSpace.theWindow, MV_FOURCC('C', 'l', 'p', 'M'), 1, text);
}

void Slider1Action(ControlRef theControl, ControlPartCode) { SliderAction(1, theControl); }
void Slider2Action(ControlRef theControl, ControlPartCode) { SliderAction(2, theControl); }
void Slider3Action(ControlRef theControl, ControlPartCode) { SliderAction(3, theControl); }
void Slider4Action(ControlRef theControl, ControlPartCode) { SliderAction(4, theControl); }
void Slider5Action(ControlRef theControl, ControlPartCode) { SliderAction(5, theControl); }
void Slider6Action(ControlRef theControl, ControlPartCode) { SliderAction(6, theControl); }

void ClipSliderAction(ControlRef theControl, ControlPartCode) {
    const SInt32 v = GetControl32BitValue(theControl);
    gConfigWorkSpace.currFrameIndex = v;
    SetFrameCounter(v);
    AccessRenderAndBlit(v);
}

void AccessRenderAndBlit(SInt32 theVal) {
    GetFrameIntoGW(gConfigWorkSpace.sourceClip, gConfigWorkSpace.iMovieParams, gConfigWorkSpace.minFrameIndex + theVal,
                   cUseDisposeGWInSlider);
    ReRenderAndBlit();
}

void ReRenderAndBlit() {
    CallPixelEffect(gConfigWorkSpace.sourceClip, gConfigWorkSpace.theFXClip);
    const SInt32 v = GetControl32BitValue(gConfigWorkSpace.theFrameCtrl);
    SetControl32BitValue(gConfigWorkSpace.theFrameCtrl, static_cast<UInt32>(v) > 0 ? 0 : 1);
}
