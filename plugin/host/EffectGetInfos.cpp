#include "host/EffectGetInfos.h"

#include "system/TextUtils.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr HYPluginChoiceFlags cInfoFlags = 0x380;
constexpr HYPluginChoiceFlags cFilterParamFlags = 0x1000;
constexpr SInt32 cBaseMemoryNeeded = 50000;
constexpr float cSliderDefault = 0.5f;

constexpr SInt16 cSliderLabelsList = 128;
constexpr SInt16 cSliderEndLabelsList = 129;
constexpr SInt16 cButtonTitleList = 130;
constexpr SInt16 cGroupNameList = 17000;

// Texts longer than the host's field are cut to fit its terminating zero.
void CopyListItem(char* field, size_t fieldSize, SInt16 listID, SInt16 index)
{
    Str255 text;
    GetIndString(text, listID, index);
    const size_t length = std::min<size_t>(text[0], fieldSize - 1);
    std::memcpy(field, text + 1, length);
    field[length] = '\0';
}

} // namespace

HYPluginResult EffectGetInfos(SInt16 which, HYPluginParams* params)
{
    HYPluginGetInfo& info = params->getInfo;
    info.pluginType = kPluginFilterType;
    info.framesToBeRendered = 0;
    info.takeFromClipBefore = 0;
    info.takeFromClipAfter = 0;
    info.minSpeedFrames = 0;
    info.maxSpeedFrames = 0;
    info.mustTakeFromSingleClips = false;
    info.pluginFlags |= cInfoFlags;
    params->getInfo2.baseMemoryNeeded = cBaseMemoryNeeded;
    SetFilterParamInfos(which, params);
    return kPluginOK;
}

void SetFilterParamInfos(SInt16, HYPluginParams* params)
{
    HYPluginGetInfo& info = params->getInfo;
    HY2PluginGetInfo& info2 = params->getInfo2;
    info.takeFromClipBefore = 0;
    info.takeFromClipAfter = info2.selectedFrames;
    info.framesToBeRendered = info2.selectedFrames;
    for (SInt16 i = 0; i < kHYFilterSliderCount; ++i) {
        HYPluginFilterSliderInfo& slider = info2.filterSliders[i];
        slider.defaultValue = cSliderDefault;
        CopyListItem(slider.label, sizeof slider.label, cSliderLabelsList, i + 1);
        CopyListItem(slider.minLabel, sizeof slider.minLabel, cSliderEndLabelsList, 2 * i + 1);
        CopyListItem(slider.maxLabel, sizeof slider.maxLabel, cSliderEndLabelsList, 2 * i + 2);
    }
    info.pluginFlags |= cFilterParamFlags;
    CopyListItem(params->getInfo3.buttonTitle, sizeof params->getInfo3.buttonTitle,
                 cButtonTitleList, 1);
    CopyListItem(info2.group, sizeof info2.group, cGroupNameList, 1);
}
