#include "fit/solver.h"

#include <algorithm>
#include <cmath>

namespace plorimet {

namespace {

PointsView View(const DataSet& data) { return PointsView{data.x.data(), data.y.data(), data.pairCount}; }

}  // namespace

void FillExactSystem(const DataSet& data, LinearSystem& system) { FillExactSystem(View(data), system); }

void FillExactSystem(PointsView points, LinearSystem& system) {
    const int n = static_cast<int>(std::min<long long>(points.count, kTextSlots));
    for (int m = 0; m < n; ++m) {
        for (int a = 0; a < n; ++a) {
            // A zero X makes the row 1, 0, 0, ... without asking pow.
            system.a[m][a] =
                points.x[m] == 0.0 ? (a == 0 ? 1.0 : 0.0) : std::pow(points.x[m], static_cast<double>(a));
        }
        system.b[m] = points.y[m];
    }
}

void BuildNormalEquations(const DataSet& data, int degree, LinearSystem& system) {
    BuildNormalEquations(View(data), degree, system);
}

void BuildNormalEquations(PointsView points, int degree, LinearSystem& system) {
    // Every element with the same i + j is the same sum taken in the same order, so each
    // power sum is taken once; the elements are the same doubles as element by element. One
    // pass over the points adds to every sum, in point order for each, and each power of a
    // point, asked of pow once, serves its power sum and its right-hand side alike.
    double powerSums[2 * kTextSlots] = {};
    double moments[kTextSlots] = {};
    for (long long k = 0; k < points.count; ++k) {
        const double x = points.x[k];
        const double y = points.y[k];
        powerSums[0] += 1.0;
        moments[0] += y;
        for (int p = 1; p <= 2 * degree; ++p) {
            const double power = std::pow(x, static_cast<double>(p));
            powerSums[p] += power;
            if (p <= degree) moments[p] += power * y;
        }
    }
    for (int i = 0; i <= degree; ++i) {
        for (int j = 0; j <= degree; ++j) system.a[i][j] = powerSums[i + j];
        system.b[i] = moments[i];
    }
}

namespace {

// Largest magnitude in columns p..m-1 of a row; NaN when any of them is NaN, so that an
// overflowed row is reported rather than silently scaled.
double RowScale(const LinearSystem& system, int row, int p, int m) {
    double scale = 0.0;
    for (int c = p; c < m; ++c) {
        const double magnitude = std::fabs(system.a[row][c]);
        if (std::isnan(magnitude)) return magnitude;
        if (magnitude > scale) scale = magnitude;
    }
    return scale;
}

std::optional<MessageId> ScaleRows(LinearSystem& system, int p, int m) {
    for (int j = p; j < m; ++j) {
        const double s = RowScale(system, j, p, m);
        if (!(s <= 1e300)) return MessageId::TooLargeCoefficient;
        if (s > 0.0 && s < 1e-300) return MessageId::TooSmallCoefficient;
        if (s == 0.0) return MessageId::ZeroCoefficient;
        for (int c = p; c < m; ++c) system.a[j][c] /= s;
        system.b[j] /= s;
    }
    return std::nullopt;
}

void ChoosePivot(LinearSystem& system, int p, int m) {
    double largest = 0.0;
    for (int j = p; j < m; ++j) {
        const double magnitude = std::fabs(system.a[j][p]);
        if (magnitude > largest) largest = magnitude;
    }
    int pivot = p;  // ties keep the lowest row, so equal values exchange nothing
    while (pivot < m - 1 && std::fabs(system.a[pivot][p]) != largest) ++pivot;
    for (int c = p; c < m; ++c) std::swap(system.a[pivot][c], system.a[p][c]);
    std::swap(system.b[pivot], system.b[p]);
}

}  // namespace

std::optional<MessageId> SystemSizeFailure(int m) {
    if (m > kMaxPairs) return MessageId::Over45DataSets;
    if (m == 1) return MessageId::OnlyOneDataSet;
    if (m <= 0) return MessageId::NoDataInputted;
    return std::nullopt;
}

std::optional<MessageId> SolveLinearSystem(LinearSystem& system, int m, Coefficients& coefficients) {
    if (auto failure = SystemSizeFailure(m)) return failure;

    for (int p = 0; p <= m - 2; ++p) {
        if (auto failure = ScaleRows(system, p, m)) return failure;
        ChoosePivot(system, p, m);
        // Only rounding can leave a whole pivot column zero; never divide by it.
        if (system.a[p][p] == 0.0) return MessageId::ZeroDenominator;
        for (int j = p + 1; j < m; ++j) {
            const double multiplier = system.a[j][p] / system.a[p][p];
            for (int c = p + 1; c < m; ++c) system.a[j][c] = system.a[j][c] - multiplier * system.a[p][c];
            system.b[j] = system.b[j] - multiplier * system.b[p];
        }
        for (int j = p + 1; j < m; ++j) system.a[j][p] = 0.0;
    }

    if (system.a[m - 1][m - 1] == 0.0) return MessageId::ZeroDenominator;
    coefficients[m - 1] = system.b[m - 1] / system.a[m - 1][m - 1];
    for (int k = m - 2; k >= 0; --k) {
        double sum = 0.0;
        for (int c = k + 1; c < m; ++c) sum += system.a[k][c] * coefficients[c];
        if (system.a[k][k] == 0.0) return MessageId::ZeroDenominator;
        coefficients[k] = (system.b[k] - sum) / system.a[k][k];
    }
    return std::nullopt;
}

}  // namespace plorimet
