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

  std::filesystem::path dir_;
  std::filesystem::path out_;
  ScopedFakeInteraction fake_;
  reader::ReaderSettings settings_;
  reader::ViewModel view_;

 private:
  std::string oldPath_;
};

// A CII invoice around the given parts: `document` inside
// rsm:ExchangedDocument, `lines` before the header agreement, `agreement`
// inside it, `settlement` inside the header settlement.
std::string Cii(const std::string& document, const std::string& lines, const std::string& agreement,
                const std::string& settlement);

// A UBL document (root "Invoice" or "CreditNote") with the given body.
std::string Ubl(const std::string& root, const std::string& body);

}  // namespace belvora::test
