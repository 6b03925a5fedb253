#include "ReaderTestSupport.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace belvora::test {
namespace {

void replaceAll(std::string& text, const std::string& key, const std::string& value) {
  for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
    text.replace(at, key.size(), value);
}

// Quoted, so that blanks at the end show; breaks inside a text are shown,
// not made, so that each item stays on its line. `bytes`: file contents,
// whose other control and non-ASCII bytes show as \xNN.
std::string quoted(const std::string& text, bool bytes = false) {
  std::string q = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\r' || c == '\n') {
      q += c == '\r' ? "\\r" : "\\n";
    } else if (bytes && (u < 0x20 || u >= 0x7f)) {
      static const char kHex[] = "0123456789abcdef";
      q += std::string("\\x") + kHex[u >> 4] + kHex[u & 15];
    } else {
      q += c;
    }
  }
  return q + '"';
}

}  // namespace

void ReaderTest::SetUp() {
  fs::create_directories(out_);
  fs::create_directories(dir_ / "bin");
  const fs::path opened = dir_ / "opened.txt";
  writeAll(dir_ / "bin" / "xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + opened.string() +
                                          ".tmp'\nmv '" + opened.string() + ".tmp' '" +
                                          opened.string() + "'\n");
  fs::permissions(dir_ / "bin" / "xdg-open", fs::perms::owner_all);
  const char* path = std::getenv("PATH");
  oldPath_ = path ? path : "";
  ::setenv("PATH", ((dir_ / "bin").string() + ":" + oldPath_).c_str(), 1);
  fake_->answers.push_back(false);
  settings_.outputFolder = out_.string();
}

void ReaderTest::TearDown() { ::setenv("PATH", oldPath_.c_str(), 1); }

std::string ReaderTest::write(const std::string& name, const std::string& text) {
  writeAll(dir_ / name, text);
  return (dir_ / name).string();
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
  return readAll(file);
}

std::string ReaderTest::outcome() {
  static const char* const kIcons[] = {"none", "information", "exclamation", "critical",
                                       "question"};
  std::ostringstream o;
  o << "syntax " << view_.syntax << ", save " << view_.saveEnabled << ", lost "
    << settings_.attachmentsLost << ", format '" << settings_.viewNumberFormat << "', read "
    << fs::path(settings_.invoiceFile).filename().string() << "\n";
  for (const auto& f : reader::fieldCatalogue()) {
    const std::string& value = *view_.field(f.array, f.index);
    if (!value.empty()) o << f.name << " " << quoted(value) << "\n";
  }
  for (const auto* grid : {&view_.lvTable, &view_.lvUst, &view_.lvAbzuege}) {
    for (const auto& row : grid->rows) {
      o << (grid == &view_.lvTable ? "line" : grid == &view_.lvUst ? "tax" : "allowance");
      if (row.color) o << " colour " << row.color;
      for (const auto& cell : row.cells) o << " " << quoted(cell);
      o << "\n";
    }
  }
  for (const auto& c : fake_->calls) {
    o << c.kind << " " << quoted(c.title) << " " << kIcons[static_cast<int>(c.icon)] << " "
      << quoted(c.text) << "\n";
  }
  for (const auto& name : outputFiles()) {
    o << "file " << quoted(name) << " " << quoted(readAll(out_ / name), true) << "\n";
  }
  std::string text = o.str();
  replaceAll(text, dir_.string(), "{dir}");
  replaceAll(text, BELVORA_TEST_DATA_DIR "/reader", "{data}");
  return text;
}

std::string ReaderData(const std::string& name) {
  return std::string(BELVORA_TEST_DATA_DIR) + "/reader/" + name;
}

std::string Cii(const std::string& document, const std::string& lines,
                const std::string& agreement) {
  std::string xml = readAll(ReaderData("envelope.xml"));
  replaceAll(xml, "{document}", document);
  replaceAll(xml, "{lines}", lines);
  replaceAll(xml, "{agreement}", agreement);
  return xml;
}

std::string CiiLines(int count) {
  const std::string line = readAll(ReaderData("line.xml"));
  std::string lines;
  for (int i = 1; i <= count; ++i) {
    std::string one = line;
    replaceAll(one, "{id}", std::to_string(i));
    lines += one;
  }
  return lines;
}

}  // namespace belvora::test
