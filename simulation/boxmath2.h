#pragma once

// Vent sizing and first box designs for a driver.

#include "model/Driver.h"
#include "simulation/ProjectRecords.h"

#include <cstdint>

// End-correction factors offered per vent-end kind (the order of VentEndNames):
// two free ends, one flanged end, two flanged ends. New projects use one flanged end.
inline constexpr double VentEndCorrections[3] = {0.614, 0.732, 0.85};
inline constexpr double DefaultVentEndCorrection = 0.732;

// Completes a vent record for the speed of sound c (m/s): the area of one vent,
// then the length that gives the tuning Fb when len is 0, or the tuning that the
// length gives when Fb is 0, and the first pipe resonance c/(2·len). The
// Helmholtz relation used is
//   Fb = c/(2π) · sqrt(Num·carea / (Vb · (len + 2·endcorrection·r)))
// with r the radius of a round vent of the same area. The record is left as it
// is unless the vent has a size, a count, a chamber volume and a tuning or length.
// A length shorter than the end corrections comes out negative and is kept so
// the caller can show it; the resonance of a length that is not positive is 0.
void BoxMath_CalcPort(TVentData& vent, double c);

// Fills the box record with a first design of box type boxType (0 closed,
// 1 vented, 2 fourth-order bandpass, 3 sixth-order bandpass, 4 passive
// radiator) for Nd drivers of the given data: volumes, tunings and loss
// factors. Returns false and changes nothing for another type, or when the
// design needs the driver and its Fs, Qts, Vas or the box's Nd is not above 0.
bool BoxMath_DefaultBox(std::int32_t boxType, const TDriverData& data, TBoxData& box);
