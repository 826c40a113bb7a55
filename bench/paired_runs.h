// A figure and its floor measured in interleaved rounds, one right after the
// other in each round, so that a change of the machine's load falls on both
// alike.  The ratio is taken per round (figure_i / floor_i), never as a ratio
// of medians, and a target counts as met only when every round's ratio is
// within it.  Shared by StoreBench, DialogBench and InspectBench.
#pragma once
#include <string>
#include <vector>

// Fewer rounds than this give figures but no verdict.
constexpr int kRunsForVerdict = 7;

struct Spread {
    double median = 0, min = 0, max = 0;
    // max - min as a share of the median, in percent.
    double WidthPercent() const { return median > 0 ? 100.0 * (max - min) / median : 0.0; }
};

// Median, least and largest of the values; all zero for none.  The median
// of an even count is the mean of the middle two.
Spread SpreadOf(std::vector<double> values);

class PairedRuns {
public:
    PairedRuns() = default;
    // figure[i] and floor[i] come from round i; extra values of the longer
    // list are ignored.
    PairedRuns(const std::vector<double>& figure, const std::vector<double>& floor);

    void Add(double figure, double floor);

    int Rounds() const { return static_cast<int>(ratios_.size()); }
    Spread Figure() const { return SpreadOf(figure_); }
    Spread Floor() const { return SpreadOf(floor_); }
    Spread Ratio() const { return SpreadOf(ratios_); }
    // Rounds whose ratio is above the target.
    int RoundsAbove(double target) const;

private:
    std::vector<double> figure_, floor_, ratios_;
};

enum class Verdict { kMet, kNotMet, kTooFewRounds };

// Met when there were at least kRunsForVerdict rounds and the largest
// per-round ratio is within the target (ratio <= target).
Verdict Judge(const PairedRuns& runs, double target);

// "met", "NOT met (3 of 7 rounds above)", "not judged (1 round; 7 needed)".
std::string VerdictText(const PairedRuns& runs, double target);

// "183.2 ms (170.1-207.9, 20%)": median, then least-largest and the width.
std::string FormatTimes(const Spread& spread);
// "2.61x (2.40-2.95)".
std::string FormatRatios(const Spread& spread);
