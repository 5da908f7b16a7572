// The code of a test bundle: asks for string lists as a plug-in does.
#include "system/TextUtils.h"

// Returns the length so that the call is not a tail call: GetIndString must
// see this library as its caller.
extern "C" __attribute__((visibility("default"))) UInt8 ProbeGetIndString(Str255 text,
                                                                           SInt16 listID,
                                                                           SInt16 index)
{
    GetIndString(text, listID, index);
    return text[0];
}
