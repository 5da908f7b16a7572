/* The records as a host written in C sees them. */
#include "hyplugin/HYPlugin.h"

#include "LayoutFields.h"

#define MV_OFFSET(record, field) offsetof(record, field), sizeof(((record*)0)->field),
#define MV_SIZE(record) sizeof(record),

const size_t kLayoutInC[] = {MV_HY_FIELDS(MV_OFFSET) MV_HY_RECORDS(MV_SIZE)};
const size_t kLayoutInCCount = sizeof kLayoutInC / sizeof kLayoutInC[0];
