#pragma once

#include <span>

namespace ostrel {

// The three vented-box alignments Ostrel offers.
enum class Alignment { SBB4, QB3, SC4 };

// One row of an alignment table: at a driver's total Q the tuning ratio h = Fb/Fs,
// the compliance ratio alpha = Vas/Vb and the -3 dB ratio F3/Fs.
struct AlignmentKnot {
    double qts;
    double h;
    double alpha;
    double f3Ratio;
};

struct AlignmentValues {
    double h = 0.0;
    double alpha = 0.0;
    double f3Ratio = 0.0;
};

struct AlignmentLookup {
    AlignmentValues values;
    // Qts lay outside the table (below its first knot, at or above its last, or not a number)
    // and the values are the fall-back polynomials' predictions.
    bool outOfRange = false;
};

// Box-loss Q of the response model.
inline constexpr double LeakageQ = 7.0;

// Knots every 0.01 in Qts, ascending.
std::span<const AlignmentKnot> alignmentTable(Alignment alignment);

// The sixth-order fall-back polynomials in Qts.
AlignmentValues alignmentPolynomial(Alignment alignment, double qts);

// Linear interpolation between the knots around qts; the last knot belongs to no interval, so
// a Qts equal to it counts as outside and goes to the polynomials, as the tables were published.
AlignmentLookup lookupAlignment(Alignment alignment, double qts);

} // namespace ostrel
