#include "config/DataHandling.h"

#include "engine/relRects.h"

pluginDataPtr gTheConfig = nullptr;
pluginWorkSpace gConfigWorkSpace = {};

void ResetConfig(pluginDataPtr theConfig, Boolean fullInit) {
    InitRelRect(theConfig->startRel);
    InitRelRect(theConfig->endRel);
    for (RGBColor& color : theConfig->colors) color = RGBColor{0, 0, 0};
    theConfig->sliders[0] = 10;
    theConfig->sliders[1] = 50;
    for (int n = 2; n < cNumSliders; ++n) theConfig->sliders[n] = 0;
    theConfig->frameStartColor = RGBColor{65535, 0, 0};
    theConfig->mediaType = cMediaNTSC;
    theConfig->keepProps = false;
    // Overwritten, not released: a full reset starts from a record that owns none.
    if (fullInit) {
        theConfig->theOriginalImage = nullptr;
        theConfig->theRendered = nullptr;
    }
    theConfig->sync = false;
    theConfig->outside = true;
    theConfig->clipActive = false;
}

// With one rectangle in use, the edited one is always startRel.
relRect GetCurrentRel() { return gConfigWorkSpace.theConfig->startRel; }

void PutCurrentRel(relRect theRel) { gConfigWorkSpace.theConfig->startRel = theRel; }
