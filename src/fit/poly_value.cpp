#include "fit/poly_value.h"

#include <algorithm>

namespace plorimet {

namespace {

// a + b = sum + error exactly (Knuth's branch-free two-sum).
void TwoSum(double a, double b, double& sum, double& error) {
    sum = a + b;
    const double bVirtual = sum - a;
    error = (a - (sum - bVirtual)) + (b - bVirtual);
}

// Dekker's split of a into two halves of 26 significant bits each.
void Split(double a, double& high, double& low) {
    const double factor = 134217729.0;  // 2^27 + 1
    const double c = factor * a;
    high = c - (c - a);
    low = a - high;
}

// a * b = product + error exactly, without a fused multiply-add.
void TwoProduct(double a, double b, double& product, double& error) {
    product = a * b;
    double ah, al, bh, bl;
    Split(a, ah, al);
    Split(b, bh, bl);
    error = al * bl - (((product - ah * bh) - al * bh) - ah * bl);
}

}  // namespace

double PolynomialValue(const Coefficients& coefficients, int termCount, double x) {
    const int terms = std::clamp(termCount, 1, static_cast<int>(coefficients.size()));
    double value = coefficients[terms - 1];
    double correction = 0.0;
    for (int j = terms - 2; j >= 0; --j) {
        double product, productError, sumError;
        TwoProduct(value, x, product, productError);
        TwoSum(product, coefficients[j], value, sumError);
        correction = correction * x + (productError + sumError);
    }
    return value + correction;
}

}  // namespace plorimet
