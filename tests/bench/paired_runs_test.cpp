// The verdict every benchmark prints: ratios taken per round, a target met
// only when the largest round is within it, no verdict on too few rounds.
#include "bench/paired_runs.h"

#include <gtest/gtest.h>

namespace {

TEST(PairedRuns, RatiosArePerRoundAndOneRoundAboveTheTargetFailsIt) {
    // Rounds 1-6 at 1.8x; round 7 has a slow figure on a slow floor (1.5x)
    // and round 0 a fast floor (2.5x).  The medians alone (figure 90 over
    // floor 50) would say 1.8x and hide round 0.
    PairedRuns runs;
    runs.Add(100, 40);
    for (int i = 0; i < 6; ++i) runs.Add(90, 50);
    runs.Add(150, 100);
    EXPECT_EQ(runs.Rounds(), 8);
    const Spread ratio = runs.Ratio();
    EXPECT_DOUBLE_EQ(ratio.median, 1.8);
    EXPECT_DOUBLE_EQ(ratio.min, 1.5);
    EXPECT_DOUBLE_EQ(ratio.max, 2.5);
    EXPECT_EQ(runs.RoundsAbove(2.0), 1);
    EXPECT_EQ(Judge(runs, 2.0), Verdict::kNotMet);
    EXPECT_EQ(VerdictText(runs, 2.0), "NOT met (1 of 8 rounds above)");
    // Within means at most: the largest round exactly at the target meets it.
    EXPECT_EQ(Judge(runs, 2.5), Verdict::kMet);
    EXPECT_EQ(VerdictText(runs, 2.5), "met");

    // The figure's own spread, an even count's median the middle two's mean.
    const Spread figure = runs.Figure();
    EXPECT_DOUBLE_EQ(figure.median, 90);
    EXPECT_DOUBLE_EQ(figure.min, 90);
    EXPECT_DOUBLE_EQ(figure.max, 150);
    EXPECT_DOUBLE_EQ(SpreadOf({4, 1, 3, 2}).median, 2.5);
}

TEST(PairedRuns, FewerThanSevenRoundsAreNotJudgedAndPairsFollowTheRounds) {
    PairedRuns runs({10, 20, 30, 40, 50, 60, 70}, {10, 10, 10, 10, 10, 10});
    EXPECT_EQ(runs.Rounds(), 6);  // the figure's extra round has no floor
    EXPECT_DOUBLE_EQ(runs.Ratio().max, 6.0);
    EXPECT_EQ(Judge(runs, 100), Verdict::kTooFewRounds);
    EXPECT_EQ(VerdictText(runs, 100), "not judged (6 rounds; 7 needed)");
    runs.Add(10, 10);
    EXPECT_EQ(Judge(runs, 100), Verdict::kMet);
    // A floor of nothing is never within a target.
    runs.Add(1, 0);
    EXPECT_EQ(Judge(runs, 100), Verdict::kNotMet);
}

}  // namespace
