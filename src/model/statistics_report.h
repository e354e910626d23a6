// The statistics of a fit as one report that every front end shows: the command line's text
// and JSON, the page's table and the Python module's Fit.to_dict() are all made from it. Each
// field is named, and holds its value or the reason it has none.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/messages.h"
#include "fit/fit_statistics.h"

namespace plorimet {

struct ObservationRow {
    double x = 0.0, y = 0.0, w = 1.0;
    ObservationDiagnostics values;
};

struct StatisticsReport {
    FitStatistics statistics;
    Statistic press;
    bool hasObservations = false;
    std::vector<ObservationRow> observations;  // in the points' order
};

// Everything of a solved model; `observations` adds each point's row.
StatisticsReport ReportOfFit(PointsView points, const FitModel& model, double level, bool observations,
                             const WorkSplit& split = {});

// One named scalar of the report: its JSON name, its label in a language and its value.
struct ReportField {
    std::string name;
    std::string label;
    Statistic value;
};
std::vector<ReportField> ScalarFields(const StatisticsReport& report, UiLanguage language);

// Why a value is missing, as a phrase (code page 932 like every text of the program; the JSON
// reasons are the English ones).
std::string ReasonText(Unavailable reason, UiLanguage language, bool throughOrigin = false);

// The conventions of the criteria (which constant terms they hold), of R² and of weights.
std::string ConventionsText(const FitStatistics& statistics, UiLanguage language);

// `plorimet fit --stats`: the coefficient table, the fit's scalars, the lack-of-fit test with
// repeated X, the covariance matrix, the conventions and why the missing values are missing.
std::string StatisticsText(const StatisticsReport& report, UiLanguage language);
// The same as texts in a table, for a front end that lays them out itself (the page): a heading,
// one row per power (power, coefficient, standard error, t, p, the interval's ends; "n/a" for a
// value that is missing), then a name and a value per line of the fit's scalars, and a note of
// the conventions and of why the missing values are missing.
struct StatisticsTable {
    std::string heading;
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::pair<std::string, std::string>> summary;
    std::string note;
};
StatisticsTable StatisticsTableOf(const StatisticsReport& report, UiLanguage language);
// `--residuals`: one row per observation.
std::string ObservationsText(const StatisticsReport& report, UiLanguage language);
// The same as JSON members, each line indented by two spaces and ended by ",\n"; the missing
// values are null, with their reasons in "unavailable".
std::string StatisticsJsonMembers(const StatisticsReport& report);

// `plorimet degrees`: the table, and as JSON.
std::string DegreeText(const DegreeComparison& comparison, UiLanguage language, bool throughOrigin);
std::string DegreeJson(const DegreeComparison& comparison, long long observations, bool throughOrigin);

// A JSON number to 17 significant digits (null when not finite or absent).
std::string JsonNumber(double value);
std::string JsonNumber(const Statistic& value);

}  // namespace plorimet
