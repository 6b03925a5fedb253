// Decompression bombs through Start: peak memory measured in the child.
#include <chrono>

#include "StartChild.h"

using belvora::test::ciiPart;
using belvora::test::kMB;
namespace fs = std::filesystem;

namespace {

class Bombs : public belvora::test::StartChild {};

TEST_F(Bombs, PdfOfBombsStaysSmallInMemoryAndItsInvoiceIsRead) {
  BELVORA_REQUIRE_CORPUS();
  // 20 MB of embedded files that inflate to about 20 GB, one of them under
  // a preferred name, and after them a small invoice.
  const std::string bomb = belvora::test::deflateFilled("", '\0', 1000 * kMB);
  belvora::test::PdfBuilder b;
  std::vector<std::pair<std::string, QPDFObjectHandle>> files;
  files.push_back({"factur-x.xml", b.compressedFileSpec("factur-x.xml", bomb)});
  for (int i = 0; files.size() * bomb.size() < 20 * kMB; ++i) {
    const std::string name = "anlage-" + std::to_string(i) + ".bin";
    files.push_back({name, b.compressedFileSpec(name, bomb)});
  }
  files.push_back(
      {"zz-rechnung.xml", b.fileSpec("zz-rechnung.xml", ciiPart(true) + ciiPart(false))});
  b.setEmbeddedFiles(b.leaf(files));
  const std::string pdf = dir / "bombs.pdf";
  belvora::test::writeAll(pdf, b.bytes());
  ASSERT_GE(fs::file_size(pdf), 20 * kMB);

  const auto begin = std::chrono::steady_clock::now();
  const auto r = start(read(pdf));
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, ::testing::HasSubstr(R"("InvoiceNumber":"TOSL110")"));
  EXPECT_LT(peakKB(), 300 * 1024) << "peak memory " << peakKB() / 1024 << " MB";
  std::cout << "[ MEASURED ] bomb PDF of " << fs::file_size(pdf) / kMB << " MB: peak memory "
            << peakKB() / 1024 << " MB, " << took.count() << " s\n";
  EXPECT_THAT(leftovers(), ::testing::IsEmpty());
}

}  // namespace
