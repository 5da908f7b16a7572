// The filter's parameters: names, kinds, explanations, in a fixed order that
// never changes once released (hosts address them by index or by name), and
// how a host's value is held to its range.
#pragma once

// The header declares the entry points without C linkage.
extern "C" {
#include <frei0r.h>
}

#include "frei0r/FilterState.h"

namespace mvfrei0r {

struct ParameterInfo {
    const char* name;
    int type;
    const char* explanation;
    double Parameters::*field;  // none for the text parameter
    double minimum, maximum;
};

extern const ParameterInfo kParameters[];
extern const int kParameterCount;

// Out-of-range and not-a-number values are held to the range (or the default).
void SetParameter(Instance& instance, int index, double value);
double GetParameter(const Instance& instance, int index);
// The text parameter (rect); other indices are left alone.
void SetTextParameter(Instance& instance, int index, const char* text);
const char* GetTextParameter(const Instance& instance, int index);

}  // namespace mvfrei0r
