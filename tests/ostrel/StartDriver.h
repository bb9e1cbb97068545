#pragma once

#include "ostrel/VentedBox.h"

namespace ostrel {

// The driver the program starts with, in metric units.
inline VentedInputs startDriver() {
    VentedInputs in;
    in.qts = 0.342;
    in.qes = 0.353;
    in.vas = 186.16;
    in.fs = 24.0;
    in.pmax = 500.0;
    in.diameter = 30.38;
    in.xmax = 6.0;
    in.dp = 10.0;
    in.ports = 1.0;
    return in;
}

} // namespace ostrel
