// Inside the platform library only: the base every Core Foundation object
// derives from, so that CFRetain and CFRelease work on any of them.
#pragma once

#include "system/CFBase.h"

#include <atomic>

struct MVCFObject {
    std::atomic<CFIndex> retainCount{1};
    virtual ~MVCFObject() = default;
};

// A reference is the object's address; types derive from this base alone, so
// the base sits at that address and CFRelease can delete through it.
inline const MVCFObject* MVCFObjectOf(CFTypeRef cf) { return static_cast<const MVCFObject*>(cf); }
