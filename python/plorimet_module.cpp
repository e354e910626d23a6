// The compiled part of the Python module: the portable core behind pybind11. The package's Python
// files (plorimet/__init__.py, plorimet/dask.py) check and convert the input and shape the
// results; everything numeric happens here, in the core, with the GIL released.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "fit/equation.h"
#include "fit/exact_sums.h"
#include "fit/fit_statistics.h"
#include "fit/observation_pass.h"
#include "fit/part_sums.h"
#include "model/points_fit.h"
#include "model/statistics_report.h"

namespace py = pybind11;
using namespace plorimet;

namespace {

// Float64 arrays as the package passes them: contiguous and finite (checked in Python).
using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

PointsView ViewOf(const Doubles& x, const Doubles& y, const std::optional<Doubles>& w) {
    PointsView v;
    v.x = x.data();
    v.y = y.data();
    v.count = static_cast<long long>(x.size());
    v.w = w ? w->data() : nullptr;
    return v;
}

UiLanguage LanguageOf(const std::string& lang) {
    if (lang == "en") return UiLanguage::English;
    if (lang == "ja") return UiLanguage::Japanese;
    throw py::value_error("lang must be 'en' or 'ja'");
}

std::string FailureText(const FitFailure& failure) {
    return failure.message ? MessageText(*failure.message, UiLanguage::English) : failure.reason;
}

py::object ValueOf(const Statistic& s) { return s ? py::object(py::float_(*s)) : py::object(py::none()); }

// The partial sums as Python sees them.
struct Sums {
    PartSums sums;
};

Sums SumsOf(const Doubles& x, const Doubles& y, const std::optional<Doubles>& w, int terms) {
    if (terms < 1) throw py::value_error("terms must be at least 1");
    const PointsView points = ViewOf(x, y, w);
    py::gil_scoped_release unlocked;
    return Sums{PartSumsOf(points, terms, WorkSplitFor(points.count))};
}

Sums Added(const Sums& a, const Sums& b) {
    Sums out = a;
    if (!AddPartSums(out.sums, b.sums)) throw py::value_error("the sums are for different numbers of terms");
    return out;
}

py::bytes BytesOf(const Sums& s) { return py::bytes(SerializePartSums(s.sums)); }

Sums SumsFromBytes(const py::bytes& bytes) {
    std::optional<PartSums> parsed = ParsePartSums(std::string(bytes));
    if (!parsed) throw py::value_error("not the bytes of plorimet.Sums");
    return Sums{std::move(*parsed)};
}

// A fit: of points held by the arrays it keeps, or of the partial sums of a data set.
class Fit {
public:
    static std::unique_ptr<Fit> OfPoints(Doubles x, Doubles y, std::optional<Doubles> w, int degree, bool throughOrigin,
                                         double level) {
        auto fit = std::unique_ptr<Fit>(new Fit);
        fit->x_ = x;
        fit->y_ = y;
        fit->w_ = w;
        fit->level_ = level;
        fit->throughOrigin_ = throughOrigin;
        const PointsView points = ViewOf(x, y, w);
        std::optional<FitFailure> failure;
        {
            py::gil_scoped_release unlocked;
            FitChoice choice;
            choice.degree = degree;
            choice.throughOrigin = throughOrigin;
            choice.withModel = true;
            choice.rule = FitRule::ExactOptimum;
            failure = FitPoints(points, choice, fit->pointsFit_);
            if (!failure && !fit->pointsFit_.model) failure = FitFailure{std::nullopt, "no fit exists for these X values"};
            if (!failure) {
                fit->model_ = fit->pointsFit_.model.get();
                fit->report_ = ReportOfFit(points, *fit->model_, level, false, WorkSplitFor(points.count));
            }
        }
        if (failure) throw py::value_error(FailureText(*failure));
        fit->mode_ = fit->pointsFit_.settings.fitMode;
        fit->shown_ = std::vector<double>(fit->pointsFit_.result.coefficients.begin(),
                                          fit->pointsFit_.result.coefficients.begin() + fit->pointsFit_.termCount);
        fit->equation_ = fit->pointsFit_.result.equationText;
        return fit;
    }

    // PRESS is left to PressOfParts (the Dask map over the parts) unless it needs none.
    static std::unique_ptr<Fit> OfSums(const Sums& sums, int degree, bool throughOrigin, double level) {
        auto fit = std::unique_ptr<Fit>(new Fit);
        fit->whole_ = std::make_unique<PartSums>(sums.sums);
        fit->level_ = level;
        fit->throughOrigin_ = throughOrigin;
        const PartSums& whole = *fit->whole_;
        FitChoice choice;
        choice.degree = degree;
        choice.throughOrigin = throughOrigin;
        if (whole.terms < degree + 1) throw py::value_error("the sums are for fewer terms than the degree needs");
        const DegreeChoice chosen = ChooseDegree(whole.count, DistinctXOf(whole, throughOrigin), choice);
        if (chosen.failure) throw py::value_error(FailureText(*chosen.failure));
        {
            py::gil_scoped_release unlocked;
            fit->centred_ = CentredSums(whole, !throughOrigin);
            fit->ownModel_ = std::make_unique<FitModel>(whole, fit->centred_, chosen.degree, throughOrigin);
            fit->model_ = fit->ownModel_.get();
            if (fit->model_->Solved()) {
                fit->report_.statistics = fit->model_->Statistics(level);
                fit->report_.press = PressWithoutParts(*fit->model_).value_or(Statistic::Missing(Unavailable::PointsApart));
            }
        }
        if (!fit->model_->Solved()) throw py::value_error("no fit exists for these X values");
        fit->mode_ = chosen.mode;
        fit->shown_ = fit->report_.statistics.coefficients;
        if (fit->shown_.size() <= kTextSlots) fit->equation_ = std::string(fit->Equation(3, "en"));
        return fit;
    }

    bool OfSumsAlone() const { return whole_ != nullptr; }
    bool PressPending() const { return whole_ && !PressWithoutParts(*model_); }

    py::tuple PressPart(const Doubles& x, const Doubles& y, const std::optional<Doubles>& w, bool exactly) const {
        const PointsView part = ViewOf(x, y, w);
        PressBounds bounds;
        {
            py::gil_scoped_release unlocked;
            const std::lock_guard<std::mutex> hold(work_);
            bounds = PressOfPart(*model_, part, exactly);
        }
        return py::make_tuple(FractionToPython(bounds.low), FractionToPython(bounds.high));
    }

    // False when the parts' bounds do not settle (take them again `exactly`).
    bool SetPress(const std::vector<py::tuple>& parts) {
        std::vector<PressBounds> bounds;
        for (const py::tuple& part : parts)
            bounds.push_back({FractionFromPython(part[0]), FractionFromPython(part[1])});
        const Statistic press = PressOfParts(*model_, bounds);
        if (!press && press.reason == Unavailable::NotSettled) return false;
        report_.press = press;
        return true;
    }

    py::dict Values() const {
        const FitStatistics& s = report_.statistics;
        py::dict out;
        std::vector<double> coefficients = s.coefficients;
        out["coefficients"] = coefficients;
        py::list errors, tValues, pValues, intervals;
        for (const CoefficientStatistics& t : s.terms) {
            errors.append(ValueOf(t.standardError));
            tValues.append(ValueOf(t.tValue));
            pValues.append(ValueOf(t.pValue));
            intervals.append(t.lower && t.upper ? py::object(py::make_tuple(*t.lower, *t.upper)) : py::object(py::none()));
        }
        out["standard_errors"] = errors;
        out["t_values"] = tValues;
        out["p_values"] = pValues;
        out["confidence_intervals"] = intervals;
        py::list covariance;
        for (const auto& row : s.covariance) {
            py::list r;
            for (const Statistic& v : row) r.append(ValueOf(v));
            covariance.append(r);
        }
        out["covariance"] = covariance;
        out["residual_sd"] = ValueOf(s.residualDeviation);
        out["residual_sum_of_squares"] = ValueOf(s.residualSquares);
        out["dof"] = s.degreesOfFreedom;
        out["r2"] = ValueOf(s.rSquared);
        out["adjusted_r2"] = ValueOf(s.adjustedRSquared);
        out["press"] = ValueOf(report_.press);
        out["aic"] = ValueOf(s.aic);
        out["bic"] = ValueOf(s.bic);
        out["aicc"] = ValueOf(s.aicc);
        out["log_likelihood"] = ValueOf(s.logLikelihood);
        return out;
    }

    // A JSON string of the text (code page 932 bytes kept as they are).
    static std::string JsonText(const std::string& text) {
        std::string out = "\"";
        for (char c : text) {
            if (c == '"' || c == '\\') out += '\\', out += c;
            else if (c == '\n') out += "\\n";
            else if (c == '\r') out += "\\r";
            else if (c == '\t') out += "\\t";
            else out += c;
        }
        return out + "\"";
    }

    // The JSON of `plorimet fit --json` but the pairs: mode, degree, coefficients, equation and
    // the report's members.
    py::bytes Json() const {
        std::string out = "{\n  \"mode\": \"";
        out += mode_ == FitMode::LeastSquares ? "least-squares" : "exact";
        out += "\",\n  \"degree\": " + std::to_string(shown_.size() - 1) + ",\n  \"coefficients\": [";
        for (size_t k = 0; k < shown_.size(); ++k) out += (k ? ", " : "") + JsonNumber(shown_[k]);
        out += "],\n  \"equation\": " + JsonText(equation_) + ",\n";
        std::string members = StatisticsJsonMembers(report_);
        members.erase(members.size() - 2);  // the last member takes no comma
        return py::bytes(out + members + "\n}\n");
    }

    // The window's equation text (code page 932, as every text of the program).
    py::bytes Equation(int digits, const std::string& lang) const {
        if (digits < 3 || digits > 15) throw py::value_error("digits must be from 3 to 15");
        if (shown_.size() > kTextSlots) throw py::value_error("the equation is shown for 45 coefficients at most");
        Coefficients c{};
        std::copy(shown_.begin(), shown_.end(), c.begin());
        const int pairs = static_cast<int>(std::min<long long>(report_.statistics.observations, 1 << 30));
        return py::bytes(BuildEquationText(c, static_cast<int>(shown_.size()), digits - 3, mode_, pairs, LanguageOf(lang)));
    }

    // The fitted values at x and, with `interval`, the ends of the confidence or prediction
    // interval (NaN where there is none).
    py::tuple Predict(const Doubles& x, const std::string& interval) const {
        const bool prediction = interval == "prediction";
        const bool bounds = prediction || interval == "confidence";
        if (!bounds && !interval.empty()) throw py::value_error("interval must be None, 'confidence' or 'prediction'");
        const py::ssize_t n = x.size();
        Doubles fitted(n), low(n), high(n);
        const double* in = x.data();
        double* f = fitted.mutable_data();
        double* lo = low.mutable_data();
        double* hi = high.mutable_data();
        {
            py::gil_scoped_release unlocked;
            const std::lock_guard<std::mutex> hold(work_);
            auto value = [](const Statistic& s) { return s ? *s : std::nan(""); };
            for (py::ssize_t k = 0; k < n; ++k) {
                const CurveInterval at = model_->At(in[k], level_);
                f[k] = value(at.fitted);
                lo[k] = value(prediction ? at.predictionLow : at.confidenceLow);
                hi[k] = value(prediction ? at.predictionHigh : at.confidenceHigh);
            }
        }
        return py::make_tuple(fitted, low, high);
    }

private:
    Fit() = default;

    // An exact fraction as Python's (mantissa, exponent): two integers, which pickle.
    static py::tuple FractionToPython(const BinaryFraction& f) {
        const py::object mantissa = py::reinterpret_steal<py::object>(
            PyLong_FromString(f.mantissa.str().c_str(), nullptr, 10));
        return py::make_tuple(mantissa, f.exponent);
    }
    static BinaryFraction FractionFromPython(const py::handle& value) {
        const py::tuple pair = value.cast<py::tuple>();
        if (pair.size() != 2) throw py::value_error("a fraction is (mantissa, exponent)");
        BinaryFraction f{binary_fraction::Int(py::str(pair[0].cast<py::int_>()).cast<std::string>()), pair[1].cast<int64_t>()};
        binary_fraction::Normalize(f);
        return f;
    }

    std::optional<Doubles> x_, y_, w_;
    std::unique_ptr<PartSums> whole_;
    ExactSums centred_;
    PointsFit pointsFit_;
    std::unique_ptr<FitModel> ownModel_;
    const FitModel* model_ = nullptr;
    StatisticsReport report_;
    FitMode mode_ = FitMode::LeastSquares;
    std::vector<double> shown_;  // the equation's coefficients
    std::string equation_;       // its text at 3 digits in English, as the command line's JSON has it
    double level_ = kDefaultConfidenceLevel;
    bool throughOrigin_ = false;
    // The model refines itself where a value asks for more work: one caller at a time (the GIL
    // is released while it works, and Dask's threads share a worker's model).
    mutable std::mutex work_;
};

// numpy.polyfit's fit from a model: the coefficients (powers 0..deg), the residual sum of squares
// and, with `covariance`, the covariance (RSS / (n - deg - 1) times the inverse of the weighted
// normal matrix), highest power first; `distinct` for the message where there is no fit.
py::tuple PolyfitOf(const FitModel& model, long long count, long long distinct, int degree, bool covariance) {
    std::optional<FitStatistics> stats;
    if (model.Solved()) {
        py::gil_scoped_release unlocked;
        stats = model.Statistics(kDefaultConfidenceLevel, !covariance);
    }
    if (!stats) {
        throw py::value_error("degree " + std::to_string(degree) + " is not offered for " + std::to_string(count) +
                              " pairs with " + std::to_string(distinct) + " distinct X (0 to " +
                              std::to_string(std::max<long long>(distinct - 1, 0)) + ")");
    }
    py::object cov = py::none();
    if (covariance) {
        const int terms = degree + 1;
        py::array_t<double> matrix({terms, terms});
        auto at = matrix.mutable_unchecked<2>();
        for (int i = 0; i < terms; ++i)
            for (int j = 0; j < terms; ++j) {
                const Statistic& v = stats->covariance[i][j];
                if (!v) throw py::value_error("the covariance has no value: " + ReasonText(v.reason, UiLanguage::English));
                at(terms - 1 - i, terms - 1 - j) = *v;
            }
        cov = matrix;
    }
    return py::make_tuple(stats->coefficients, ValueOf(stats->residualSquares), cov);
}

py::tuple Polyfit(const Doubles& x, const Doubles& y, const std::optional<Doubles>& w, int degree, bool covariance) {
    const PointsView points = ViewOf(x, y, w);
    ExactSums sums;
    std::unique_ptr<FitModel> model;
    long long distinct = 0;
    {
        py::gil_scoped_release unlocked;
        ComputeExactSums(points, degree + 1, true, sums, WorkSplitFor(points.count));
        model = std::make_unique<FitModel>(points, sums, degree, false);
        if (!model->Solved()) distinct = DistinctXCount(points, false);
    }
    return PolyfitOf(*model, points.count, distinct, degree, covariance);
}

py::tuple PolyfitOfSums(const Sums& whole, int degree, bool covariance) {
    if (whole.sums.terms < degree + 1) throw py::value_error("the sums are for fewer terms than the degree needs");
    ExactSums sums;
    std::unique_ptr<FitModel> model;
    {
        py::gil_scoped_release unlocked;
        sums = CentredSums(whole.sums, true);
        model = std::make_unique<FitModel>(whole.sums, sums, degree, false);
    }
    return PolyfitOf(*model, whole.sums.count, DistinctXOf(whole.sums, false), degree, covariance);
}

}  // namespace

PYBIND11_MODULE(_core, m) {
    m.doc() = "Plorimet's exact least-squares core";
    py::class_<Sums>(m, "Sums")
        .def_property_readonly("count", [](const Sums& s) { return s.sums.count; })
        .def_property_readonly("terms", [](const Sums& s) { return s.sums.terms; })
        .def("__add__", &Added)
        // sum() of a list of sums starts from 0
        .def("__radd__", [](const Sums& s, int zero) {
            if (zero != 0) throw py::type_error("only 0 adds to plorimet.Sums");
            return s;
        })
        .def("to_bytes", &BytesOf)
        .def_static("from_bytes", &SumsFromBytes)
        .def(py::pickle([](const Sums& s) { return BytesOf(s); }, [](const py::bytes& b) { return SumsFromBytes(b); }));
    m.def("sums_of", &SumsOf, py::arg("x"), py::arg("y"), py::arg("w"), py::arg("terms"));

    py::class_<Fit>(m, "FitCore")
        .def_property_readonly("press_pending", &Fit::PressPending)
        .def_property_readonly("of_sums", &Fit::OfSumsAlone)
        .def("values", &Fit::Values)
        .def("json", &Fit::Json)
        .def("equation", &Fit::Equation)
        .def("predict", &Fit::Predict)
        .def("press_part", &Fit::PressPart)
        .def("set_press", &Fit::SetPress);
    m.def("polyfit", &Polyfit);
    m.def("polyfit_sums", &PolyfitOfSums);
    m.def("fit_points", &Fit::OfPoints);
    m.def("fit_sums", &Fit::OfSums);
}
