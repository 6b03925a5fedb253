#include "ReaderTestSupport.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace belvora::test {

void ReaderTest::SetUp() {
  static int counter = 0;
  dir_ = fs::temp_directory_path() /
         ("belvora-reader-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  out_ = dir_ / "out";
  fs::create_directories(out_);
  fs::create_directories(dir_ / "bin");
  const fs::path opener = dir_ / "bin" / "xdg-open";
  {
    std::ofstream script(opener);
    script << "#!/bin/sh\nprintf '%s' \"$1\" > '" << (dir_ / "opened.txt").string() << ".tmp'\n"
           << "mv '" << (dir_ / "opened.txt").string() << ".tmp' '"
           << (dir_ / "opened.txt").string() << "'\n";
  }
  fs::permissions(opener, fs::perms::owner_all);
  const char* path = std::getenv("PATH");
  oldPath_ = path ? path : "";
  ::setenv("PATH", ((dir_ / "bin").string() + ":" + oldPath_).c_str(), 1);
  fake_->answers.push_back(false);
  settings_.outputFolder = out_.string();
}

void ReaderTest::TearDown() {
  ::setenv("PATH", oldPath_.c_str(), 1);
  fs::remove_all(dir_);
}

std::string ReaderTest::write(const std::string& name, const std::string& text) {
  const fs::path path = dir_ / name;
  std::ofstream(path, std::ios::binary) << text;
  return path.string();
}

bool ReaderTest::read(const std::string& path, const std::string& language) {
  settings_.invoiceFile = path;
  settings_.language = language;
  return reader::ReadXML(settings_, view_);
}

bool ReaderTest::readEnds(const std::string& path, int seconds) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    read(path);
    ::_exit(0);
  }
  for (int i = 0; i < seconds * 20; ++i) {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  return false;
}

std::vector<std::string> ReaderTest::outputFiles() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(out_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReaderTest::openedTarget() const {
  const fs::path file = dir_ / "opened.txt";
  for (int i = 0; i < 200 && !fs::exists(file); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::ifstream in(file);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Cii(const std::string& document, const std::string& lines, const std::string& agreement,
                const std::string& settlement) {
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<rsm:CrossIndustryInvoice xmlns:rsm="urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100"
 xmlns:ram="urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:100"
 xmlns:udt="urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100">
<rsm:ExchangedDocumentContext>
<ram:BusinessProcessSpecifiedDocumentContextParameter><ram:ID>urn:process</ram:ID></ram:BusinessProcessSpecifiedDocumentContextParameter>
<ram:GuidelineSpecifiedDocumentContextParameter><ram:ID>urn:xrechnung</ram:ID></ram:GuidelineSpecifiedDocumentContextParameter>
</rsm:ExchangedDocumentContext>
<rsm:ExchangedDocument>)" +
         document + R"(</rsm:ExchangedDocument>
<rsm:SupplyChainTradeTransaction>
)" + lines +
         R"(
<ram:ApplicableHeaderTradeAgreement>)" +
         agreement + R"(</ram:ApplicableHeaderTradeAgreement>
<ram:ApplicableHeaderTradeDelivery/>
<ram:ApplicableHeaderTradeSettlement>)" +
         settlement + R"(</ram:ApplicableHeaderTradeSettlement>
</rsm:SupplyChainTradeTransaction>
</rsm:CrossIndustryInvoice>
)";
}

std::string Ubl(const std::string& root, const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root +
         " xmlns=\"urn:oasis:names:specification:ubl:schema:xsd:" + root +
         "-2\"\n"
         " xmlns:cac=\"urn:oasis:names:specification:ubl:schema:xsd:CommonAggregateComponents-2\"\n"
         " xmlns:cbc=\"urn:oasis:names:specification:ubl:schema:xsd:CommonBasicComponents-2\">\n" +
         body + "\n</" + root + ">\n";
}

}  // namespace belvora::test
