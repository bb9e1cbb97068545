#include "model/BV_Const.h"

const char* const FilterNames[FilterKindCount] = {
    "Lowpass",    "Highpass", "Allpass", "Linkwitz transform", "Parametric EQ", "Peaking 2nd order highpass",
    "Static gain"};

const char* const VentEndNames[VentEndKindCount] = {"Two free ends", "One flanged end", "Two flanged ends"};
