#include "ostrel/VentedBox.h"

#include <cfloat>
#include <cmath>

namespace ostrel {

VentedInputs toMetric(const VentedInputs& english) {
    VentedInputs metric = english;
    metric.vas = english.vas * units::CubicFeetToLitres;
    metric.diameter = english.diameter * units::InchesToCentimetres;
    metric.xmax = english.xmax * units::InchesToMillimetres;
    metric.dp = english.dp * units::InchesToCentimetres;
    return metric;
}

std::optional<std::string_view> checkInputs(const VentedInputs& inputs) {
    // A NaN fails the "> 0" test too, so it can never slip through as a valid input. Exactly 0
    // keeps the dialog's own text; a value below zero (or no number) gets one that says so.
    const struct {
        double value;
        std::string_view zero;
        std::string_view notAbove;
    } checks[] = {
        {inputs.qts, "Calculation Stopped: Qts can't equal 0", "Calculation Stopped: Qts must be above 0"},
        {inputs.qes, "Calculation Stopped: Qes can't equal 0", "Calculation Stopped: Qes must be above 0"},
        {inputs.vas, "Calculation Stopped: Vas can't equal 0", "Calculation Stopped: Vas must be above 0"},
        {inputs.fs, "Calculation Stopped: Fs can't equal 0", "Calculation Stopped: Fs must be above 0"},
        {inputs.pmax, "Calculation Stopped: Pmax can't equal 0", "Calculation Stopped: Pmax must be above 0"},
        {inputs.diameter, "Calculation Stopped: Speaker Diameter can't equal 0",
         "Calculation Stopped: Speaker Diameter must be above 0"},
        {inputs.xmax, "Calculation Stopped: Xmax can't equal 0", "Calculation Stopped: Xmax must be above 0"},
        {inputs.dp, "Calculation Stopped: Port Diameter can't equal 0",
         "Calculation Stopped: Port Diameter must be above 0"},
        {inputs.ports, "Calculation Stopped: # Ports can't equal 0",
         "Calculation Stopped: # Ports must be above 0"},
    };
    for (const auto& check : checks) {
        if (check.value == 0.0)
            return check.zero;
        if (!(check.value > 0.0))
            return check.notAbove;
    }
    return std::nullopt;
}

float toFloat(double value) {
    if (value > FLT_MAX)
        return INFINITY;
    if (value < -FLT_MAX)
        return -INFINITY;
    return static_cast<float>(value);
}

double outputResponse(double frequency, double fs, double h, double alpha, double qts) {
    const double x2 = (frequency / fs) * (frequency / fs);
    const double x4 = x2 * x2;
    const double x8 = x4 * x4;
    const double h2 = h * h;
    const double a1 = h2 / qts + h / LeakageQ;
    const double a2 = 1.0 + alpha + h2 + h / (LeakageQ * qts);
    const double a3 = 1.0 / qts + h / LeakageQ;
    const double real = x4 - a2 * x2 + h2;
    const double imaginary = a3 * x2 - a1;
    return 10.0 * std::log10(x8 / (real * real + x2 * imaginary * imaginary));
}

namespace {

double finiteOrNaN(double value) {
    return std::isfinite(value) ? value : NAN;
}

} // namespace

VentedDesign designVentedBox(const VentedInputs& in, const AlignmentValues& alignment) {
    VentedDesign design;
    // The core answers for its own inputs: whatever a caller passes, inputs the dialog would
    // refuse give no usable box rather than a curve of NaN.
    if (checkInputs(in) || !(alignment.alpha > 0.0) || !(alignment.h > 0.0) || !(alignment.f3Ratio > 0.0) ||
        !std::isfinite(alignment.alpha) || !std::isfinite(alignment.h) || !std::isfinite(alignment.f3Ratio)) {
        design.output.fill(NAN);
        design.displacement.fill(NAN);
        design.thermal.fill(NAN);
        return design;
    }
    design.vb = toFloat(in.vas / alignment.alpha);
    design.fb = toFloat(alignment.h * in.fs);
    design.f3 = toFloat(alignment.f3Ratio * in.fs);

    const double fb = design.fb;
    const double vb = design.vb;
    const double h = fb / in.fs;
    const double alpha = in.vas / vb;
    const double h2 = h * h;

    // Displaced volume in m^3 from the cone diameter in cm and Xmax in mm.
    const double displaced = (in.diameter * 0.01) * (in.diameter * 0.01) * 0.78539825 * in.xmax * 0.001;
    const double fs4 = std::pow(in.fs, 4.0);
    const double displacementBase =
        112.0 + 10.0 * std::log10(0.42419802898550724 * fs4 * displaced * displaced);
    // Reference efficiency from Vas in litres.
    const double efficiency = std::pow(10.0, -10.0) * std::pow(in.fs, 3.0) * in.vas * 9.64 / in.qes;
    const double thermalBase = 112.0 + 10.0 * std::log10(efficiency) + 10.0 * std::log10(in.pmax);
    // 2 - 1/QL^2: the cone's excursion response in the box.
    constexpr double excursionTerm = 1.9795918367346939;

    for (int i = 0; i < CurvePoints; ++i) {
        const double f = FirstFrequency + i;
        const double x2 = (f / in.fs) * (f / in.fs);
        const double x4 = x2 * x2;
        const double x8 = x4 * x4;
        const double output = outputResponse(f, in.fs, h, alpha, in.qts);
        design.output[i] = finiteOrNaN(output);
        design.displacement[i] =
            finiteOrNaN(displacementBase + 10.0 * std::log10(x8 / (x4 - excursionTerm * h2 * x2 + h2 * h2)));
        design.thermal[i] = finiteOrNaN(thermalBase + output);
    }

    design.lp = toFloat(23562.5 * in.dp * in.dp * in.ports / (fb * fb * vb) - 0.732 * in.dp);

    design.minimumVentDiameter = 20.3 * std::pow(displaced * displaced / fb, 0.25) * 100.0;
    // Twice the vent diameter is the threshold, so narrow vents get some slack before the warning.
    design.portTooSmall = design.minimumVentDiameter / std::sqrt(in.ports) > 2.0 * in.dp;

    design.usable = std::isfinite(design.vb) && design.vb > 0.0f && std::isfinite(design.fb) &&
                    design.fb > 0.0f && std::isfinite(design.f3) && design.f3 > 0.0f &&
                    std::isfinite(design.lp);
    design.ventTooShort = design.usable && !(design.lp > 0.0f);
    if (!design.usable)
        design.portTooSmall = false;
    return design;
}

} // namespace ostrel
