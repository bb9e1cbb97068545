#pragma once

// Classical closed-box alignments: the target total Q of driver and box, from critically damped
// to equal ripple. The new-project wizard lists them, finds the chosen row again by its text and
// lets the table write the box volume and tuning.

#include "model/Driver.h"
#include "simulation/ProjectRecords.h"

#include <string>
#include <string_view>
#include <vector>

// Appends the rows offered for the driver (those whose Qtc lies above the driver's total Q as
// mounted), in table order; returns the list position to select: the 0.707 row when offered,
// else 0.
int ClosedAlignments_GetList(std::vector<std::string>& list, const TDriverObject& driver);

// The row whose text is exactly text; 8 (Qtc 1.5) when none matches.
int ClosedAlignments_IndexOf(std::string_view text);

// Writes the rear volume Vr and its tuning Fr for the row into box, taking the absorption loss
// Qar from box. Returns false and leaves box unchanged when the row does not exist or the driver
// and losses give no positive, finite volume for it (Qtc not above the total Q).
bool ClosedAlignments_Calc(int row, const TDriverObject& driver, TBoxData& box);
