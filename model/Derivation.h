#pragma once

// Derivation of a driver's missing parameters and the consistency relations
// between them. The operations themselves are TDriverObject::CalcParameters and
// TDriverObject::CheckConsistency; this header holds what the windows need to
// present their outcome.

#include <array>

struct TDriverData;

// The real-valued parameter with the given letter index (DriverPar); null for
// the integer numVC and for positions that belong to no parameter.
double* ParameterOfLetter(TDriverData& data, int letter);
const double* ParameterOfLetter(const TDriverData& data, int letter);

// A relation holds when its relative error is within this magnitude.
inline constexpr double ConsistencyTolerance = 1e-10;

inline constexpr int ConsistencyRelationCount = 22;

// Labels of the consistency relations as the parameter-error list shows them;
// relation k (1..22) is at index k - 1.
extern const std::array<const char*, ConsistencyRelationCount> ConsistencyRelationNames;

// Label of relation k (1..22); an empty text for any other k.
const char* ConsistencyRelationName(int k);

// Whether a stored relative error means its relation failed. An error that is
// not a number fails too, so that an unusable value can never pass as consistent.
bool ConsistencyErrorFails(double error);

// Last guard on the derivation passes. Every counted fill turns one missing
// parameter into a non-zero one for the rest of the call, so the passes end
// after at most one pass per derived parameter; this bound is never reached
// by a correct rule set.
inline constexpr int MaxDerivationPasses = 100;
