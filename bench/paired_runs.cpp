#include "paired_runs.h"

#include <algorithm>
#include <cstdio>

Spread SpreadOf(std::vector<double> values) {
    Spread spread;
    if (values.empty()) return spread;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    spread.median = values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
    spread.min = values.front();
    spread.max = values.back();
    return spread;
}

PairedRuns::PairedRuns(const std::vector<double>& figure, const std::vector<double>& floor) {
    for (size_t i = 0; i < figure.size() && i < floor.size(); ++i) Add(figure[i], floor[i]);
}

void PairedRuns::Add(double figure, double floor) {
    figure_.push_back(figure);
    floor_.push_back(floor);
    // A floor of nothing makes any figure infinitely worse: never within a target.
    ratios_.push_back(floor > 0 ? figure / floor : 1e9);
}

int PairedRuns::RoundsAbove(double target) const {
    return static_cast<int>(std::count_if(ratios_.begin(), ratios_.end(), [&](double r) { return r > target; }));
}

Verdict Judge(const PairedRuns& runs, double target) {
    if (runs.Rounds() < kRunsForVerdict) return Verdict::kTooFewRounds;
    return runs.RoundsAbove(target) == 0 ? Verdict::kMet : Verdict::kNotMet;
}

std::string VerdictText(const PairedRuns& runs, double target) {
    char text[80];
    switch (Judge(runs, target)) {
    case Verdict::kMet:
        return "met";
    case Verdict::kNotMet:
        std::snprintf(text, sizeof text, "NOT met (%d of %d rounds above)", runs.RoundsAbove(target), runs.Rounds());
        return text;
    case Verdict::kTooFewRounds:
        break;
    }
    std::snprintf(text, sizeof text, "not judged (%d round%s; %d needed)", runs.Rounds(),
                  runs.Rounds() == 1 ? "" : "s", kRunsForVerdict);
    return text;
}

std::string FormatTimes(const Spread& spread) {
    char text[80];
    std::snprintf(text, sizeof text, "%7.1f ms (%.1f-%.1f, %3.0f%%)", spread.median, spread.min, spread.max,
                  spread.WidthPercent());
    return text;
}

std::string FormatRatios(const Spread& spread) {
    char text[64];
    std::snprintf(text, sizeof text, "%5.2fx (%.2f-%.2f)", spread.median, spread.min, spread.max);
    return text;
}
