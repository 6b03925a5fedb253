// Reading time must grow linearly with the number of lines: a path that
// searches the whole document for every line would make 10,000 lines a
// hundred times slower than 1,000 instead of ten times.

#include <chrono>
#include <cstdio>

#include "ReaderTestSupport.h"

namespace {

class ReaderScaling : public belvora::test::ReaderTest {
 protected:
  double secondsToRead(int count) {
    const std::string path = write(
        "n.xml", belvora::test::Cii("<ram:ID>RE-1</ram:ID>", belvora::test::CiiLines(count), ""));
    settings_.outputFolder.clear();
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
      const auto start = std::chrono::steady_clock::now();
      EXPECT_TRUE(read(path));
      best = std::min(
          best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    EXPECT_EQ(view_.lvTable.rows.size(), static_cast<std::size_t>(count));
    return best;
  }
};

}  // namespace

TEST_F(ReaderScaling, TenTimesTheLinesTakesAboutTenTimesAsLong) {
  const double small = secondsToRead(1000);
  const double large = secondsToRead(10000);
  std::printf("1,000 lines: %.1f ms; 10,000 lines: %.1f ms\n", small * 1000, large * 1000);
  EXPECT_LT(large, small * 25) << "reading is not linear in the number of lines";
}
