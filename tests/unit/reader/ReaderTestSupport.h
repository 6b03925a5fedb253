#pragma once

// A scratch folder with an output folder, a fake interaction that answers
// "no" to "Open export folder?" unless told otherwise, and a fake xdg-open
// on PATH that records what it was asked to open.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "reader/ReadXML.h"
#include "support/FakeInteraction.h"
#include "support/TempDir.h"

namespace belvora::test {

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes text to a file in the scratch folder and returns its path.
  std::string write(const std::string& name, const std::string& text);
  // Reads the file through ReadXML with the scratch output folder.
  bool read(const std::string& path, const std::string& language = "GB");
  // The same read in a child process, killed after `seconds`: a read that
  // never ends fails a test instead of hanging it. True when it ended.
  bool readEnds(const std::string& path, int seconds);
  // Names of the files in the output folder, sorted.
  std::vector<std::string> outputFiles() const;
  // What the fake xdg-open was asked to open (waits up to two seconds).
  std::string openedTarget() const;
  // Everything a read leaves to be seen, one item a line: the view's
  // non-empty fields and grid rows, every dialog, every output file with its
  // content. Folders show as {dir} and {data}.
  std::string outcome();

  TempDir temp_;
  std::filesystem::path dir_ = temp_.path();
  std::filesystem::path out_ = dir_ / "out";
  ScopedFakeInteraction fake_;
  reader::ReaderSettings settings_;
  reader::ViewModel view_;

 private:
  std::string oldPath_;
};

// A file of tests/data/reader.
std::string ReaderData(const std::string& name);

// A CII invoice with `document` inside rsm:ExchangedDocument, `lines`
// before the header agreement and `agreement` inside it.
std::string Cii(const std::string& document, const std::string& lines,
                const std::string& agreement);
// `count` invoice lines numbered from 1, each with a line allowance.
std::string CiiLines(int count);

}  // namespace belvora::test
