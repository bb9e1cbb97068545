#pragma once

// Name tables shown by several windows. The index is the number stored in the
// project files, so the order never changes.

inline constexpr int FilterKindCount = 7;
inline constexpr int VentEndKindCount = 3;

// Indexed by filter kind 0..6.
extern const char* const FilterNames[FilterKindCount];

// Indexed by vent-end kind 0..2.
extern const char* const VentEndNames[VentEndKindCount];
