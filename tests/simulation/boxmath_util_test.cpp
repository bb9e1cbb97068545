#include "simulation/boxmath_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace {

TTransferFunction makeTransfer(std::initializer_list<double> num, std::initializer_list<double> den) {
    TTransferFunction tf;
    // Poison everything so that only the coefficients within the degrees can matter.
    for (int k = 0; k <= MaxTransferOrder; ++k)
        tf.Num[k] = tf.Den[k] = 1e9 + k;
    int k = 0;
    for (double c : num)
        tf.Num[k++] = c;
    tf.NumOrder = k - 1;
    k = 0;
    for (double c : den)
        tf.Den[k++] = c;
    tf.DenOrder = k - 1;
    return tf;
}

std::complex<double> polynomialAt(const double* coefficients, int order, std::complex<double> s) {
    std::complex<double> sum = 0.0;
    for (int k = 0; k <= order; ++k)
        sum += coefficients[k] * std::pow(s, k);
    return sum;
}

void expectComplexNear(TComplex got, std::complex<double> want, double relative = 1e-12) {
    const double tolerance = relative * (1.0 + std::abs(want));
    EXPECT_NEAR(got.re, want.real(), tolerance);
    EXPECT_NEAR(got.im, want.imag(), tolerance);
}

TEST(TransferFunction, FreshRecordIsUnity) {
    const TTransferFunction tf;
    for (double w : {0.0, 1.0, 1e4})
        expectComplexNear(EvalTransferFunction(tf, w), 1.0);
}

TEST(TransferFunction, EvaluatesOnImaginaryAxis) {
    expectComplexNear(EvalTransferFunction(makeTransfer({2.0}, {4.0}), 123.0), 0.5);
    expectComplexNear(EvalTransferFunction(makeTransfer({1.0}, {1.0, 1.0}), 1.0), {0.5, -0.5});
    const TTransferFunction tf = makeTransfer({0.5, -1.0, 0.0, 2.0}, {1.0, 1.4, 0.9, 0.3, 0.05});
    for (double w : {0.0, 0.1, 1.0, 3.7, 50.0}) {
        const std::complex<double> s(0.0, w);
        expectComplexNear(EvalTransferFunction(tf, w),
                          polynomialAt(tf.Num, tf.NumOrder, s) / polynomialAt(tf.Den, tf.DenOrder, s));
    }
}

TEST(TransferFunction, OutOfRangeDegreesEvaluateToNaN) {
    for (int order : {-1, 11, 1000}) {
        TTransferFunction tf;
        tf.DenOrder = order;
        const TComplex value = EvalTransferFunction(tf, 1.0);
        EXPECT_TRUE(std::isnan(value.re) && std::isnan(value.im)) << order;
        EXPECT_FALSE(MultiplyTransferFunctions(tf, TTransferFunction{}).has_value());
        EXPECT_FALSE(ScaleTransferFunction(tf, 2.0));
    }
}

TEST(TransferFunction, ProductOfFirstOrderSections) {
    const TTransferFunction section = makeTransfer({1.0}, {1.0, 1.0});
    const auto product = MultiplyTransferFunctions(section, section);
    ASSERT_TRUE(product.has_value());
    EXPECT_EQ(product->NumOrder, 0);
    EXPECT_EQ(product->DenOrder, 2);
    EXPECT_EQ(product->Num[0], 1.0);
    EXPECT_EQ(product->Den[0], 1.0);
    EXPECT_EQ(product->Den[1], 2.0);
    EXPECT_EQ(product->Den[2], 1.0);
}

TEST(TransferFunction, ProductIsExactAndIgnoresStaleCoefficients) {
    const TTransferFunction a = makeTransfer({1.0, 2.0}, {3.0, 1.0, 1.0});
    const TTransferFunction b = makeTransfer({0.0, 0.0, 4.0}, {1.0, -1.0, 0.0, 2.0});
    const auto product = MultiplyTransferFunctions(a, b);
    ASSERT_TRUE(product.has_value());
    ASSERT_EQ(product->NumOrder, 3);
    ASSERT_EQ(product->DenOrder, 5);
    const double num[] = {0.0, 0.0, 4.0, 8.0};
    const double den[] = {3.0, -2.0, 0.0, 5.0, 2.0, 2.0};
    for (int k = 0; k <= 3; ++k)
        EXPECT_EQ(product->Num[k], num[k]) << k;
    for (int k = 0; k <= 5; ++k)
        EXPECT_EQ(product->Den[k], den[k]) << k;
    // The factors are left as they were.
    EXPECT_EQ(a.Num[1], 2.0);
    EXPECT_EQ(b.Den[3], 2.0);
}

TEST(TransferFunction, ProductUpToDegreeTenAndRefusedBeyond) {
    // (1 + s)^10 built by repeated products carries the binomial coefficients.
    TTransferFunction power;
    const TTransferFunction section = makeTransfer({1.0, 1.0}, {1.0, 1.0});
    for (int n = 1; n <= 10; ++n) {
        auto next = MultiplyTransferFunctions(power, section);
        ASSERT_TRUE(next.has_value()) << n;
        power = *next;
    }
    ASSERT_EQ(power.NumOrder, 10);
    double binomial = 1.0;
    for (int k = 0; k <= 10; ++k) {
        EXPECT_EQ(power.Num[k], binomial) << k;
        binomial = binomial * (10 - k) / (k + 1);
    }
    EXPECT_FALSE(MultiplyTransferFunctions(power, section).has_value());
    // The numerator alone exceeding the limit is enough to refuse.
    const TTransferFunction numeratorOnly = makeTransfer({0.0, 1.0}, {1.0});
    EXPECT_FALSE(MultiplyTransferFunctions(power, numeratorOnly).has_value());
    const TTransferFunction denominatorOnly = makeTransfer({1.0}, {0.0, 1.0});
    EXPECT_FALSE(MultiplyTransferFunctions(denominatorOnly, power).has_value());
}

TEST(TransferFunction, ScalingMovesThePrototype) {
    TTransferFunction tf = makeTransfer({1.0}, {1.0, 1.0});
    ASSERT_TRUE(ScaleTransferFunction(tf, 10.0));
    EXPECT_EQ(tf.Den[0], 1.0);
    EXPECT_DOUBLE_EQ(tf.Den[1], 0.1);
    expectComplexNear(EvalTransferFunction(tf, 10.0), {0.5, -0.5});

    // Scaling by x makes H_scaled(j·w·x) equal H(j·w) for any function.
    const TTransferFunction prototype = makeTransfer({0.3, 0.0, 1.0}, {1.0, 1.414, 1.0, 0.2});
    TTransferFunction scaled = prototype;
    const double x = 2.0 * HV_Pi * 250.0;
    ASSERT_TRUE(ScaleTransferFunction(scaled, x));
    for (double w : {0.1, 1.0, 7.0}) {
        const TComplex want = EvalTransferFunction(prototype, w);
        expectComplexNear(EvalTransferFunction(scaled, w * x), {want.re, want.im}, 1e-10);
    }
}

TEST(TransferFunction, ScalingRefusesNonPositiveFactors) {
    for (double x : {0.0, -1.0, std::nan(""), HUGE_VAL}) {
        TTransferFunction tf = makeTransfer({1.0, 2.0}, {1.0, 1.0});
        EXPECT_FALSE(ScaleTransferFunction(tf, x)) << x;
        EXPECT_EQ(tf.Num[1], 2.0);
        EXPECT_EQ(tf.Den[1], 1.0);
    }
}

} // namespace
