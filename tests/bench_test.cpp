// The bench's node signature, pinned: a change to the engine searches that
// changes how many positions they visit changes it, and says so by updating
// the number here (its commit quotes the new one).
#include <gtest/gtest.h>

#include "host/bench.h"

TEST(Bench, SignatureAndValuesArePinned) {
  const size_t size = SearchTableSize();
  ASSERT_TRUE(SetSearchTableSize(kDefaultSearchTableBytes));
  const std::vector<int> values = {347, 467, 407, 558, 334, 407, 397, 534, 62, 54, 61, 42,
                                   40,  50,  1,   1,   1,   1,   1,   1,   -10, 21, -10};
  const std::vector<BenchRun> runs = RunBench(SearchImplementation::Engine);
  ASSERT_EQ(runs.size(), values.size());
  uint64_t nodes = 0;
  for (size_t k = 0; k < runs.size(); ++k) {
    EXPECT_EQ(runs[k].value, values[k]) << runs[k].label;
    nodes += runs[k].nodes;
  }
  EXPECT_EQ(nodes, 18013014u);
  EXPECT_TRUE(SetSearchTableSize(size));
}
