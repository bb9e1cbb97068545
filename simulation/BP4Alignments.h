#pragma once

// Fourth-order bandpass alignments by passband ripple and passband gain: the sealed rear chamber
// Vr and the vented front chamber Vf with its tuning Ff.

#include "model/Driver.h"
#include "simulation/ProjectRecords.h"

#include <string>
#include <string_view>
#include <vector>

// Appends the rows that give positive volumes for the driver as mounted with the usual losses
// (Qaf and Qar of 100); returns 0, the first of them.
int BP4Alignments_GetList(std::vector<std::string>& list, const TDriverObject& driver);

// The row whose text is exactly text; 0 when none matches.
int BP4Alignments_IndexOf(std::string_view text);

// Writes Vf, Vr and Ff for the row into box, taking the absorption losses Qaf and Qar from box;
// a row number outside the table uses row 0. Returns false and leaves box unchanged when the
// driver and losses give no positive, finite volumes for the row.
bool BP4Alignments_Calc(int row, const TDriverObject& driver, TBoxData& box);
