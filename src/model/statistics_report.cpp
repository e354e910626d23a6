// The statistics report and its texts. A file of its own: the window shows no statistics and
// so never links their solver, nor Student's t.
#include "model/statistics_report.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "base/shortest_number.h"
#include "fit/observation_pass.h"

namespace plorimet {

StatisticsReport ReportOfFit(PointsView points, const FitModel& model, double level, bool observations,
                             const WorkSplit& split) {
    StatisticsReport report;
    report.statistics = model.Statistics(level);
    report.press = PressOfModels(std::vector<const FitModel*>{&model}, split).front();
    if (observations) {
        report.hasObservations = true;
        const std::vector<ObservationDiagnostics> values = DiagnosticsOf(model, split);
        report.observations.resize(values.size());
        for (size_t i = 0; i < values.size(); ++i)
            report.observations[i] = {points.x[i], points.y[i], points.w ? points.w[i] : 1.0, values[i]};
    }
    return report;
}

// ---- Words -----------------------------------------------------------------------------------

namespace {

struct Words {
    const char* en;
    const char* ja;
    const char* operator()(UiLanguage language) const { return language == UiLanguage::Japanese ? ja : en; }
};

}  // namespace

std::string ReasonText(Unavailable reason, UiLanguage language, bool throughOrigin) {
    switch (reason) {
        case Unavailable::None: return "";
        case Unavailable::NoDegreesOfFreedom:
            return Words{"no residual degrees of freedom (the curve passes through every point)",
                         "残差の自由度が 0 (曲線がすべての点を通る)"}(language);
        case Unavailable::ZeroResidual: return Words{"every residual is 0", "残差がすべて 0"}(language);
        case Unavailable::ConstantY:
            return throughOrigin ? Words{"every Y is 0", "Y がすべて 0"}(language)
                                 : Words{"every Y is the same", "Y がすべて同じ"}(language);
        case Unavailable::FixedTerm: return Words{"fixed at 0 (through the origin)", "0 に固定 (原点を通る)"}(language);
        case Unavailable::BeyondDouble: return Words{"beyond the range of a double", "倍精度の範囲を超える"}(language);
        case Unavailable::BelowDouble:
            return Words{"not 0, but too close to 0 for a double", "0 ではないが倍精度で表せないほど小さい"}(language);
        case Unavailable::FullLeverage:
            return Words{"leverage 1: the fit passes through the point whatever its Y",
                         "てこ比が 1 (Y によらず曲線がその点を通る)"}(language);
        case Unavailable::ZeroWeight: return Words{"a weight is 0", "重みが 0 の点がある"}(language);
        case Unavailable::NoReplicates: return Words{"no X is repeated", "X の繰り返しがない"}(language);
        case Unavailable::NoLackOfFitFreedom:
            return Words{"as many coefficients as distinct X", "係数の数が X の種類の数と同じ"}(language);
        case Unavailable::ZeroPureError:
            return Words{"the repeated observations agree exactly (pure error 0)", "繰り返しの観測値が完全に一致 (純粋誤差 0)"}(language);
        case Unavailable::TooFewObservations: return Words{"n - k - 1 is not positive", "n - k - 1 が正でない"}(language);
        case Unavailable::NoConstant: return Words{"no coefficient but the constant", "定数項のほかに係数がない"}(language);
        case Unavailable::NotSettled:
            return Words{"its rounding was not settled within 4096 bits", "4096 ビットで丸めが確定しない"}(language);
        case Unavailable::PointsApart:
            return Words{"needs every point in one place (a fit of partial sums)", "全点が一か所に必要 (部分和からのあてはめ)"}(language);
    }
    return "";
}

std::string ConventionsText(const FitStatistics& s, UiLanguage language) {
    char k[32];
    std::snprintf(k, sizeof k, "%d", s.estimated);
    const bool ja = language == UiLanguage::Japanese;
    std::string out = ja ? std::string("対数尤度は正規分布のもので定数項 n/2 (1 + ln 2π) を含む") +
                               (s.weighted ? " (+ Σ ln |w|: 重み w^2 の加重最小二乗法)" : "") +
                               "。AIC = -2 ln L + 2k、BIC = -2 ln L + k ln n、AICc = AIC + 2k(k + 1)/(n - k - 1)、k = " + k +
                               " (推定した係数の数、σ は数えない)。"
                         : std::string("The log-likelihood is the Gaussian one with its constant n/2 (1 + ln 2pi)") +
                               (s.weighted ? " and sum of ln |w| (weighted least squares with weights w^2)" : "") +
                               "; AIC = -2 ln L + 2k, BIC = -2 ln L + k ln n, AICc = AIC + 2k(k + 1)/(n - k - 1), k = " + k +
                               " (the coefficients estimated, sigma not counted).";
    if (s.throughOrigin)
        out += ja ? " R^2 は原点まわり (1 - RSS / Σ w^2y^2)。" : " R^2 is uncentred (1 - RSS / sum of w^2 y^2): the fit has no constant.";
    return out + "\n";
}

// ---- Numbers ---------------------------------------------------------------------------------

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", value == 0 ? 0.0 : value);
    return buffer;
}

std::string JsonNumber(const Statistic& value) { return value ? JsonNumber(*value) : "null"; }

namespace {

std::string Number(const Statistic& v, int width = 0) {
    char buffer[64];
    if (v)
        std::snprintf(buffer, sizeof buffer, "%*.*g", width, 15, *v == 0 ? 0.0 : *v);
    else
        std::snprintf(buffer, sizeof buffer, "%*s", width, "n/a");
    return buffer;
}

// A level as a percentage with every digit of the level's shortest text: 0.9996 is "99.96%".
std::string PercentText(double level) {
    // The shortest digits that read back as the level.
    std::string shortest;
    AppendShortestNumber(shortest, level);
    // From its scientific form d.ddd e±x: the digits and the decimal exponent.
    std::string mantissa;
    int exponent = 0;
    const size_t e = shortest.find_first_of("eE");
    const std::string number = e == std::string::npos ? shortest : shortest.substr(0, e);
    if (e != std::string::npos) exponent = std::atoi(shortest.c_str() + e + 1);
    const size_t point = number.find('.');
    std::string whole = point == std::string::npos ? number : number.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : number.substr(point + 1);
    mantissa = whole + fraction;
    int pointAt = static_cast<int>(whole.size()) + exponent + 2;  // times 100
    while (mantissa.size() > 1 && mantissa[0] == '0') {
        mantissa.erase(0, 1);
        --pointAt;
    }
    std::string out;
    if (pointAt <= 0) {
        out = "0." + std::string(-pointAt, '0') + mantissa;
    } else if (pointAt >= static_cast<int>(mantissa.size())) {
        out = mantissa + std::string(pointAt - mantissa.size(), '0');
    } else {
        out = mantissa.substr(0, pointAt) + "." + mantissa.substr(pointAt);
    }
    return out + "%";
}

// Columns a text takes in a fixed-width font. Code page 932 (the window, the command line): one
// a byte, its double-byte characters being full width. UTF-8 (the page): two for a character of
// three or more bytes, but for the half-width katakana U+FF61..U+FF9F (EF BD A1 .. EF BE 9F).
size_t ColumnWidth(const std::string& text) {
    if (sizeof("ア") == 3) return text.size();
    size_t width = 0;
    for (size_t k = 0; k < text.size(); ++k) {
        const unsigned char c = static_cast<unsigned char>(text[k]);
        if ((c & 0xC0) == 0x80) continue;
        const unsigned char second = k + 1 < text.size() ? static_cast<unsigned char>(text[k + 1]) : 0;
        const unsigned char third = k + 2 < text.size() ? static_cast<unsigned char>(text[k + 2]) : 0;
        const bool halfWidth = c == 0xEF && ((second == 0xBD && third >= 0xA1) || (second == 0xBE && third <= 0x9F));
        width += c >= 0xE0 && !halfWidth ? 2 : 1;
    }
    return width;
}

std::string Pad(const std::string& text, size_t width) {
    const size_t used = ColumnWidth(text);
    return used >= width ? text + " " : text + std::string(width - used, ' ');
}

std::string PadLeft(const std::string& text, size_t width) {
    const size_t used = ColumnWidth(text);
    return std::string(width > used ? width - used : 0, ' ') + text;
}

// The reasons the "n/a" cells of a table stand for, one line each.
class Footnotes {
public:
    void Note(const Statistic& v) {
        if (!v) seen_.insert(v.reason);
    }
    std::string Text(UiLanguage language, bool throughOrigin) const {
        std::string out;
        for (Unavailable r : seen_) out += "n/a: " + ReasonText(r, language, throughOrigin) + "\n";
        return out;
    }

private:
    std::set<Unavailable> seen_;
};

std::string ValueText(const Statistic& v, UiLanguage language, bool throughOrigin) {
    if (v) return Number(v);
    return std::string(language == UiLanguage::Japanese ? "なし (" : "not available (") +
           ReasonText(v.reason, language, throughOrigin) + ")";
}

std::string Integer(long long v) { return std::to_string(v); }

}  // namespace

std::vector<ReportField> ScalarFields(const StatisticsReport& report, UiLanguage language) {
    const FitStatistics& s = report.statistics;
    const bool ja = language == UiLanguage::Japanese;
    const std::string fDf = "(" + Integer(s.fNumeratorDf) + ", " + Integer(s.degreesOfFreedom) + ")";
    return {
        {"residual_sum_of_squares", ja ? "残差平方和" : "Residual sum of squares", s.residualSquares},
        {"residual_std_dev", ja ? "残差標準偏差" : "Residual standard deviation", s.residualDeviation},
        {"r_squared", s.throughOrigin ? (ja ? "決定係数 R^2 (原点まわり)" : "R^2 (uncentred)") : (ja ? "決定係数 R^2" : "R^2"), s.rSquared},
        {"adjusted_r_squared", ja ? "自由度調整済み R^2" : "Adjusted R^2", s.adjustedRSquared},
        {"f_statistic", (ja ? "F 統計量 " : "F statistic ") + fDf, s.fStatistic},
        {"f_p_value", ja ? "F の p 値" : "p value of F", s.fPValue},
        {"log_likelihood", ja ? "対数尤度" : "Log-likelihood", s.logLikelihood},
        {"aic", "AIC", s.aic},
        {"bic", "BIC", s.bic},
        {"aicc", "AICc", s.aicc},
        {"press", "PRESS", report.press},
    };
}

// ---- The statistics as text ------------------------------------------------------------------

namespace {

std::string HeadingText(const FitStatistics& s, UiLanguage language) {
    const bool ja = language == UiLanguage::Japanese;
    char line[256];
    std::snprintf(line, sizeof line, ja ? "観測数 %lld, 推定した係数 %d, 残差の自由度 %lld%s%s"
                                        : "Observations %lld, coefficients estimated %d, residual degrees of freedom %lld%s%s",
                  s.observations, s.estimated, s.degreesOfFreedom,
                  s.throughOrigin ? (ja ? " (原点を通る)" : " (through the origin)") : "",
                  s.weighted ? (ja ? " (重みつき)" : " (weighted)") : "");
    return line;
}

}  // namespace

StatisticsTable StatisticsTableOf(const StatisticsReport& report, UiLanguage language) {
    const FitStatistics& s = report.statistics;
    const bool ja = language == UiLanguage::Japanese;
    StatisticsTable table;
    table.heading = HeadingText(s, language);
    const std::string level = PercentText(s.level);
    table.columns = {ja ? "べき" : "Power",     ja ? "係数" : "Coefficient",       ja ? "標準誤差" : "Std. error",
                     ja ? "t 値" : "t value",   ja ? "p 値" : "p value",           ja ? level + " 下限" : "Lower " + level,
                     ja ? level + " 上限" : "Upper " + level};
    Footnotes notes;
    for (size_t j = 0; j < s.coefficients.size(); ++j) {
        const CoefficientStatistics& t = s.terms[j];
        std::vector<std::string> row = {std::to_string(j), Number(s.coefficients[j])};
        for (const Statistic* v : {&t.standardError, &t.tValue, &t.pValue, &t.lower, &t.upper}) {
            notes.Note(*v);
            row.push_back(Number(*v));
        }
        table.rows.push_back(std::move(row));
    }
    for (const ReportField& f : ScalarFields(report, language))
        table.summary.emplace_back(f.label, ValueText(f.value, language, s.throughOrigin));
    table.note = ConventionsText(s, language) + notes.Text(language, s.throughOrigin);
    while (!table.note.empty() && table.note.back() == '\n') table.note.pop_back();
    return table;
}

std::string StatisticsText(const StatisticsReport& report, UiLanguage language) {
    const FitStatistics& s = report.statistics;
    const bool ja = language == UiLanguage::Japanese;
    char line[256];
    std::string out = HeadingText(s, language) + "\n";
    const std::string level = PercentText(s.level);
    out += Pad(ja ? "べき" : "Power", 7) + Pad(ja ? "係数" : "Coefficient", 24) + Pad(ja ? "標準誤差" : "Std. error", 24) +
           Pad(ja ? "t 値" : "t value", 24) + Pad(ja ? "p 値" : "p value", 24) +
           (ja ? level + " 信頼区間" : level + " confidence interval") + "\n";
    Footnotes notes;
    for (size_t j = 0; j < s.coefficients.size(); ++j) {
        const CoefficientStatistics& t = s.terms[j];
        for (const Statistic* v : {&t.standardError, &t.tValue, &t.pValue, &t.lower}) notes.Note(*v);
        out += Pad(std::to_string(j), 7) + Pad(Number(s.coefficients[j]), 24) + Pad(Number(t.standardError), 24) +
               Pad(Number(t.tValue), 24) + Pad(Number(t.pValue), 24);
        out += t.lower && t.upper ? Number(t.lower) + " .. " + Number(t.upper) : std::string("n/a");
        out += "\n";
    }
    for (const ReportField& f : ScalarFields(report, language))
        out += Pad(f.label, 31) + ValueText(f.value, language, s.throughOrigin) + "\n";
    const LackOfFit& lof = s.lackOfFit;
    if (lof.reason != Unavailable::NoReplicates) {
        std::snprintf(line, sizeof line,
                      ja ? "当てはまりの悪さの検定 (X の種類 %lld, 純粋誤差の自由度 %lld, 当てはまりの悪さの自由度 %lld)\n"
                         : "Lack of fit against pure error (distinct X %lld, pure error df %lld, lack-of-fit df %lld)\n",
                      lof.distinctX, lof.pureErrorDf, lof.lackOfFitDf);
        out += line;
        const ReportField rows[] = {
            {"", ja ? "純粋誤差平方和" : "Pure error sum of squares", lof.pureErrorSquares},
            {"", ja ? "当てはまりの悪さの平方和" : "Lack-of-fit sum of squares", lof.lackOfFitSquares},
            {"", ja ? "当てはまりの悪さの F" : "Lack-of-fit F", lof.f},
            {"", ja ? "その p 値" : "p value of lack-of-fit F", lof.p},
        };
        for (const ReportField& f : rows) out += Pad("  " + f.label, 31) + ValueText(f.value, language, s.throughOrigin) + "\n";
    }
    if (s.degreesOfFreedom > 0) {
        out += ja ? "係数の共分散行列 (行と列はべき)\n" : "Covariance matrix of the coefficients (rows and columns by power)\n";
        for (size_t i = 0; i < s.covariance.size(); ++i) {
            out += Pad(std::to_string(i), 7);
            for (size_t j = 0; j < s.covariance[i].size(); ++j) {
                notes.Note(s.covariance[i][j]);
                out += Pad(Number(s.covariance[i][j]), 24);
            }
            while (!out.empty() && out.back() == ' ') out.pop_back();
            out += "\n";
        }
    }
    out += ConventionsText(s, language);
    return out + notes.Text(language, s.throughOrigin);
}

std::string ObservationsText(const StatisticsReport& report, UiLanguage language) {
    const bool ja = language == UiLanguage::Japanese;
    const bool weighted = report.statistics.weighted;
    std::string out = ja ? "X\tY" : "X\tY";
    out += weighted ? (ja ? "\t重み" : "\tweight") : "";
    out += ja ? "\t当てはめ値\t残差\tてこ比\tスチューデント化残差\tクックの距離\n"
              : "\tfitted\tresidual\tleverage\tstudentized residual\tCook's distance\n";
    Footnotes notes;
    auto cell = [&](const Statistic& v) {
        notes.Note(v);
        return v ? JsonNumber(v) : std::string("n/a");
    };
    for (const ObservationRow& o : report.observations) {
        out += JsonNumber(o.x) + "\t" + JsonNumber(o.y);
        if (weighted) out += "\t" + JsonNumber(o.w);
        const ObservationDiagnostics& d = o.values;
        for (const Statistic* v : {&d.fitted, &d.residual, &d.leverage, &d.studentized, &d.cooks}) out += "\t" + cell(*v);
        out += "\n";
    }
    return out + notes.Text(language, report.statistics.throughOrigin);
}

// ---- JSON ------------------------------------------------------------------------------------

namespace {

// JSON members with the reasons of the missing values collected on the way.
class JsonMembers {
public:
    void Add(const std::string& name, const std::string& value) { out_ += "  \"" + name + "\": " + value + ",\n"; }
    std::string Value(const std::string& place, const Statistic& v) {
        if (!v) reasons_[place] = ReasonText(v.reason, UiLanguage::English);
        return JsonNumber(v);
    }
    template <typename Item>
    std::string List(const std::string& name, size_t count, Item item) {
        std::string list = "[";
        for (size_t j = 0; j < count; ++j) list += (j ? ", " : "") + item(name + "[" + std::to_string(j) + "]", j);
        return list + "]";
    }
    std::string Text() {
        std::string reasons = "{";
        bool first = true;
        for (const auto& [place, reason] : reasons_) {
            reasons += (first ? "" : ", ") + std::string("\"") + place + "\": \"" + reason + "\"";
            first = false;
        }
        Add("unavailable", reasons + "}");
        return out_;
    }

private:
    std::string out_;
    std::map<std::string, std::string> reasons_;
};

std::string Bool(bool v) { return v ? "true" : "false"; }
std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::string StatisticsJsonMembers(const StatisticsReport& report) {
    const FitStatistics& s = report.statistics;
    JsonMembers json;
    json.Add("through_origin", Bool(s.throughOrigin));
    json.Add("weighted", Bool(s.weighted));
    json.Add("observations", Integer(s.observations));
    json.Add("coefficients_estimated", Integer(s.estimated));
    json.Add("degrees_of_freedom", Integer(s.degreesOfFreedom));
    const size_t terms = s.coefficients.size();
    json.Add("optimum_coefficients", json.List("optimum_coefficients", terms, [&](const std::string& p, size_t j) {
                 return json.Value(p, std::isfinite(s.coefficients[j]) ? Statistic(s.coefficients[j])
                                                                         : Statistic::Missing(Unavailable::BeyondDouble));
             }));
    json.Add("coefficient_units", json.List("", terms, [&](const std::string&, size_t j) {
                 return Quoted(j == 0 ? "Y" : (j == 1 ? "Y/X" : "Y/X^" + std::to_string(j)));
             }));
    json.Add("standard_errors", json.List("standard_errors", terms, [&](const std::string& p, size_t j) { return json.Value(p, s.terms[j].standardError); }));
    json.Add("t_values", json.List("t_values", terms, [&](const std::string& p, size_t j) { return json.Value(p, s.terms[j].tValue); }));
    json.Add("p_values", json.List("p_values", terms, [&](const std::string& p, size_t j) { return json.Value(p, s.terms[j].pValue); }));
    json.Add("confidence_level", JsonNumber(s.level));
    json.Add("t_quantile", json.Value("t_quantile", s.tQuantile));
    json.Add("confidence_intervals", json.List("confidence_intervals", terms, [&](const std::string& p, size_t j) {
                 const CoefficientStatistics& t = s.terms[j];
                 if (!t.lower || !t.upper) return json.Value(p, t.lower ? t.upper : t.lower);
                 return "[" + JsonNumber(t.lower) + ", " + JsonNumber(t.upper) + "]";
             }));
    json.Add("covariance", json.List("covariance", s.covariance.size(), [&](const std::string& p, size_t i) {
                 return json.List(p, s.covariance[i].size(), [&](const std::string& q, size_t j) { return json.Value(q, s.covariance[i][j]); });
             }));
    for (const ReportField& f : ScalarFields(report, UiLanguage::English)) json.Add(f.name, json.Value(f.name, f.value));
    json.Add("r_squared_kind", Quoted(s.throughOrigin ? "uncentred" : "centred"));
    json.Add("f_degrees_of_freedom", "[" + Integer(s.fNumeratorDf) + ", " + Integer(s.degreesOfFreedom) + "]");
    const LackOfFit& lof = s.lackOfFit;
    std::string lack = "{\"distinct_x\": " + Integer(lof.distinctX);
    if (lof.reason == Unavailable::NoReplicates) {
        json.Value("lack_of_fit", Statistic::Missing(lof.reason));
    } else {
        lack += ", \"pure_error_df\": " + Integer(lof.pureErrorDf) + ", \"lack_of_fit_df\": " + Integer(lof.lackOfFitDf);
        lack += ", \"pure_error_sum_of_squares\": " + json.Value("lack_of_fit.pure_error_sum_of_squares", lof.pureErrorSquares);
        lack += ", \"lack_of_fit_sum_of_squares\": " + json.Value("lack_of_fit.lack_of_fit_sum_of_squares", lof.lackOfFitSquares);
        lack += ", \"f\": " + json.Value("lack_of_fit.f", lof.f) + ", \"p_value\": " + json.Value("lack_of_fit.p_value", lof.p);
    }
    json.Add("lack_of_fit", lack + "}");
    json.Add("conventions",
             std::string("{\"r_squared\": ") +
                 Quoted(s.throughOrigin ? "uncentred: 1 - RSS / sum of w^2 y^2 (no constant)" : "centred: 1 - RSS / sum of w^2 (y - mean)^2") +
                 ", \"log_likelihood\": \"Gaussian with its constant: -n/2 (ln(2 pi) + 1 + ln(RSS / n))" +
                 (s.weighted ? " + sum of ln|w| (weighted least squares with weights w^2)" : "") + "\"" +
                 ", \"aic\": \"-2 ln L + 2k\", \"bic\": \"-2 ln L + k ln n\", \"aicc\": \"AIC + 2k(k + 1) / (n - k - 1)\"" +
                 ", \"k\": \"the coefficients estimated (sigma not counted)\"" +
                 ", \"covariance\": \"RSS / (n - k) times the inverse of the weighted normal matrix\"}");
    if (report.hasObservations) {
        std::string rows = "[";
        for (size_t i = 0; i < report.observations.size(); ++i) {
            const ObservationRow& o = report.observations[i];
            const ObservationDiagnostics& d = o.values;
            const std::string at = "observation_values[" + std::to_string(i) + "].";
            rows += (i ? ",\n    {" : "\n    {") + std::string("\"x\": ") + JsonNumber(o.x) + ", \"y\": " + JsonNumber(o.y);
            if (s.weighted) rows += ", \"w\": " + JsonNumber(o.w);
            rows += ", \"fitted\": " + json.Value(at + "fitted", d.fitted) + ", \"residual\": " + json.Value(at + "residual", d.residual) +
                    ", \"leverage\": " + json.Value(at + "leverage", d.leverage) +
                    ", \"studentized_residual\": " + json.Value(at + "studentized_residual", d.studentized) +
                    ", \"cooks_distance\": " + json.Value(at + "cooks_distance", d.cooks) + "}";
        }
        json.Add("observation_values", rows + "\n  ]");
    }
    return json.Text();
}

// ---- Degrees ---------------------------------------------------------------------------------

namespace {

const char* const kDegreeNames[kDegreeColumns] = {"residual_std_dev", "r_squared", "adjusted_r_squared", "aic",
                                                  "bic", "aicc", "press"};

std::vector<Statistic> DegreeValues(const DegreeRow& d) {
    return {d.residualDeviation, d.rSquared, d.adjustedRSquared, d.aic, d.bic, d.aicc, d.press};
}

std::string RecommendationRule(const DegreeComparison& c, UiLanguage language) {
    const bool aicc = c.recommendedBy == DegreeColumn::Aicc;
    if (language == UiLanguage::Japanese)
        return aicc ? "AICc が最小の次数。最大次数の係数の数 k に対し n/k < 40 のため AICc による" : "AIC が最小の次数。n/k >= 40 のため AIC による";
    return aicc ? "the smallest AICc; AICc rather than AIC as n/k < 40, k the coefficients of the highest degree"
                : "the smallest AIC; AIC as n/k >= 40, k the coefficients of the highest degree";
}

}  // namespace

std::string DegreeText(const DegreeComparison& c, UiLanguage language, bool throughOrigin) {
    const bool ja = language == UiLanguage::Japanese;
    const int width = 22;
    std::string out = Pad(ja ? "次数" : "Degree", 7);
    const char* en[] = {"Residual SD", "R^2", "Adjusted R^2", "AIC", "BIC", "AICc", "PRESS"};
    const char* jp[] = {"残差標準偏差", "R^2", "調整済み R^2", "AIC", "BIC", "AICc", "PRESS"};
    for (int f = 0; f < kDegreeColumns; ++f) out += PadLeft(ja ? jp[f] : en[f], width) + "  ";
    out += "\n";
    Footnotes notes;
    for (size_t r = 0; r < c.rows.size(); ++r) {
        const std::vector<Statistic> values = DegreeValues(c.rows[r]);
        out += Pad(std::to_string(c.rows[r].degree), 7);
        for (int f = 0; f < kDegreeColumns; ++f) {
            notes.Note(values[f]);
            out += Number(values[f], width) + (c.preferred[f] == r ? "* " : "  ");
        }
        while (!out.empty() && out.back() == ' ') out.pop_back();
        out += "\n";
    }
    out += ja ? "* 各列が選ぶ次数 (残差標準偏差・AIC・BIC・AICc・PRESS は最小、R^2 は最大)\n"
              : "* the degree each column prefers (smallest SD, AIC, BIC, AICc and PRESS; largest R^2)\n";
    if (c.recommended) {
        out += (ja ? "推奨する次数: " : "Recommended degree: ") + std::to_string(c.rows[*c.recommended].degree) + " (" +
               RecommendationRule(c, language) + ")\n";
    }
    FitStatistics conventions;
    conventions.estimated = c.rows.empty() ? 0 : c.rows.back().estimated;
    conventions.throughOrigin = throughOrigin;
    std::string note = ConventionsText(conventions, language);
    // k differs from row to row here.
    const std::string k = "k = " + std::to_string(conventions.estimated);
    const size_t at = note.find(k);
    if (at != std::string::npos) note.replace(at, k.size(), "k");
    return out + note + notes.Text(language, throughOrigin);
}

std::string DegreeJson(const DegreeComparison& c, long long observations, bool throughOrigin) {
    JsonMembers json;
    std::string out = "{\n  \"observations\": " + Integer(observations) + ",\n  \"through_origin\": " + Bool(throughOrigin) +
                      ",\n  \"degrees\": [\n";
    for (size_t r = 0; r < c.rows.size(); ++r) {
        const DegreeRow& d = c.rows[r];
        const std::vector<Statistic> values = DegreeValues(d);
        out += "    {\"degree\": " + Integer(d.degree) + ", \"coefficients_estimated\": " + Integer(d.estimated);
        for (int f = 0; f < kDegreeColumns; ++f)
            out += std::string(", \"") + kDegreeNames[f] + "\": " +
                   json.Value("degrees[" + std::to_string(r) + "]." + kDegreeNames[f], values[f]);
        out += std::string("}") + (r + 1 < c.rows.size() ? "," : "") + "\n";
    }
    out += "  ],\n  \"preferred\": {";
    for (int f = 0; f < kDegreeColumns; ++f)
        out += std::string(f ? ", " : "") + "\"" + kDegreeNames[f] + "\": " +
               (c.preferred[f] ? std::to_string(c.rows[*c.preferred[f]].degree) : "null");
    out += "},\n  \"recommended\": {\"degree\": " + (c.recommended ? std::to_string(c.rows[*c.recommended].degree) : "null") +
           ", \"by\": \"" + kDegreeNames[static_cast<int>(c.recommendedBy)] + "\", \"rule\": \"" +
           RecommendationRule(c, UiLanguage::English) + "\"},\n";
    out += std::string("  \"conventions\": {\"log_likelihood\": \"Gaussian with its constant: -n/2 (ln(2 pi) + 1 + ln(RSS / n))\"") +
           ", \"aic\": \"-2 ln L + 2k\", \"bic\": \"-2 ln L + k ln n\", \"aicc\": \"AIC + 2k(k + 1) / (n - k - 1)\"" +
           ", \"k\": \"the coefficients estimated (sigma not counted)\", \"r_squared\": \"" +
           (throughOrigin ? "uncentred" : "centred") + "\"},\n";
    std::string members = json.Text();  // "  \"unavailable\": {...},\n"
    members.erase(members.size() - 2);   // the last member takes no comma
    return out + members + "\n}\n";
}

}  // namespace plorimet
