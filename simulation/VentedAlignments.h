#pragma once

// Classical vented-box alignments: quasi-Butterworth, (super-)boom-box, (sub-)Chebyshev and the
// extended bass shelves. The list position of a row and its calculation number differ; the
// wizard goes from the list text to the calculation number with VentedAlignments_IndexOf.

#include "model/Driver.h"
#include "simulation/ProjectRecords.h"

#include <string>
#include <string_view>
#include <vector>

// Appends all five rows; returns the list position suggested for the driver's total Q as
// mounted: EBS6 below 0.2, BB4 up to 0.35, QB3 up to 0.4, C4 above.
int VentedAlignments_GetList(std::vector<std::string>& list, const TDriverObject& driver);

// The calculation number of the row whose text is exactly text: QB3 0, BB4 1, EBS3 2, EBS6 3,
// C4 4; 0 when none matches.
int VentedAlignments_IndexOf(std::string_view text);

// Writes the rear volume Vr and the tuning Fr for the calculation number into box (the
// boom-box alignment reads the leakage loss Qlr from box; a number above 4 gives Vas and Fs).
// Returns false and leaves box unchanged for a negative number or when the driver gives no
// positive, finite volume and tuning.
bool VentedAlignments_Calc(int number, const TDriverObject& driver, TBoxData& box);
