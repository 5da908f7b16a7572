/* Every field of the host's records, listed once for the C and C++ views. */
#define MV_HY_FIELDS(F)                                                            \
    F(_PluginParams, interfaceVersion) F(_PluginParams, instance)                  \
    F(_PluginParams, selector) F(_PluginParams, procs) F(_PluginParams, getInfo)   \
    F(_PluginParams, startFrame) F(_PluginParams, renderFrame)                     \
    F(_PluginParams, frameCount) F(_PluginParams, proxyOnly)                       \
    F(_PluginParams, frameRect) F(_PluginParams, frame) F(_PluginParams, clientData) \
    F(_PluginParams, getInfo2) F(_PluginParams, getInfo3) F(_PluginParams, getInfo4) \
    F(HYPluginGetInfo, pluginType) F(HYPluginGetInfo, titleType)                   \
    F(HYPluginGetInfo, pluginFlags) F(HYPluginGetInfo, framesToBeRendered)         \
    F(HYPluginGetInfo, takeFromClipBefore) F(HYPluginGetInfo, takeFromClipAfter)   \
    F(HYPluginGetInfo, minSpeedFrames) F(HYPluginGetInfo, maxSpeedFrames)          \
    F(HYPluginGetInfo, mustTakeFromSingleClips) F(HYPluginGetInfo, bestThumbOffset) \
    F(HYPluginGetInfo, defaultColor) F(HYPluginGetInfo, defaultDirection)          \
    F(HYPluginGetInfo, justify) F(HYPluginGetInfo, defaultFontNum)                 \
    F(HYPluginGetInfo, defaultFontSize)                                            \
    F(HY2PluginGetInfo, group) F(HY2PluginGetInfo, filterSliders)                  \
    F(HY2PluginGetInfo, defaultFadeInFrames) F(HY2PluginGetInfo, defaultFadeOutFrames) \
    F(HY2PluginGetInfo, minHangFrames) F(HY2PluginGetInfo, maxHangFrames)          \
    F(HY2PluginGetInfo, defaultFontSizeScale) F(HY2PluginGetInfo, selectedFrames)  \
    F(HY2PluginGetInfo, speedFrames) F(HY2PluginGetInfo, hangFrames)               \
    F(HY2PluginGetInfo, baseMemoryNeeded)                                          \
    F(HYPluginFilterSliderInfo, label) F(HYPluginFilterSliderInfo, minLabel)       \
    F(HYPluginFilterSliderInfo, maxLabel) F(HYPluginFilterSliderInfo, defaultValue) \
    F(HY3PluginGetInfo, defaultX) F(HY3PluginGetInfo, defaultY)                    \
    F(HY3PluginGetInfo, userX) F(HY3PluginGetInfo, userY)                          \
    F(HY3PluginGetInfo, fileInfo) F(HY3PluginGetInfo, buttonTitle)                 \
    F(HY4PluginGetInfo, titleSliders)                                              \
    F(HYPluginFilterInfo, sliderValues) F(HYPluginFilterInfo, fadeInFrames)        \
    F(HYPluginFilterInfo, fadeOutFrames)                                           \
    F(HYProcs, NewPtr) F(HYProcs, GetFrame) F(HYProcs, Blit) F(HYProcs, MixAudio)  \
    F(HYProcs, CGStringWidth)

#define MV_HY_RECORDS(R)                                                           \
    R(_PluginParams) R(HYPluginGetInfo) R(HY2PluginGetInfo) R(HY3PluginGetInfo)    \
    R(HY4PluginGetInfo) R(HYPluginFilterSliderInfo) R(HYPluginFilterInfo) R(HYProcs)
