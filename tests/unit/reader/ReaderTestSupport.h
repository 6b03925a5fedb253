#pragma once

// A scratch folder with an output folder, a fake interaction that answers
// "no" to "Open export folder?" unless told otherwise, and a fake xdg-open
// on PATH that records what it was asked to open.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "reader/ReadXML.h"
#include "support/FakeInteraction.h"
#include "support/TempDir.h"

namespace belvora::test {

inline void replaceAll(std::string& text, const std::string& key, const std::string& value) {
  for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
    text.replace(at, key.size(), value);
}

// Quoted, so that blanks at the end show; breaks inside a text are shown,
// not made, so that each item stays on its line. `bytes`: file contents,
// whose other control and non-ASCII bytes show as \xNN.
inline std::string quoted(const std::string& text, bool bytes = false) {
  std::string q = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\r' || c == '\n') {
      q += c == '\r' ? "\\r" : "\\n";
    } else if (bytes && (u < 0x20 || u >= 0x7f)) {
      q += std::string("\\x") + "0123456789abcdef"[u >> 4] + "0123456789abcdef"[u & 15];
    } else {
      q += c;
    }
  }
  return q + '"';
}

// A file of tests/data/reader.
inline std::string ReaderData(const std::string& name) {
  return std::string(BELVORA_TEST_DATA_DIR) + "/reader/" + name;
}

// A CII invoice with `document` inside rsm:ExchangedDocument, `lines`
// before the header agreement and `agreement` inside it.
inline std::string Cii(const std::string& document, const std::string& lines,
                       const std::string& agreement) {
  std::string xml = readAll(ReaderData("envelope.xml"));
  replaceAll(xml, "{document}", document);
  replaceAll(xml, "{lines}", lines);
  replaceAll(xml, "{agreement}", agreement);
  return xml;
}

// `count` invoice lines numbered from 1, each with a line allowance.
inline std::string CiiLines(int count) {
  const std::string line = readAll(ReaderData("line.xml"));
  std::string lines;
  for (int i = 1; i <= count; ++i) {
    std::string one = line;
    replaceAll(one, "{id}", std::to_string(i));
    lines += one;
  }
  return lines;
}

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(out_);
    std::filesystem::create_directories(dir_ / "bin");
    const std::string opened = (dir_ / "opened.txt").string();
    writeAll(dir_ / "bin" / "xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + opened +
                                            ".tmp'\nmv '" + opened + ".tmp' '" + opened + "'\n");
    std::filesystem::permissions(dir_ / "bin" / "xdg-open", std::filesystem::perms::owner_all);
    oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", ((dir_ / "bin").string() + ":" + oldPath_).c_str(), 1);
    fake_->answers.push_back(false);
    settings_.outputFolder = out_.string();
  }
  void TearDown() override { ::setenv("PATH", oldPath_.c_str(), 1); }

  // Writes text to a file in the scratch folder and returns its path.
  std::string write(const std::string& name, const std::string& text) {
    writeAll(dir_ / name, text);
    return (dir_ / name).string();
  }
  // Reads the file through ReadXML with the scratch output folder.
  bool read(const std::string& path, const std::string& language = "GB") {
    settings_.invoiceFile = path;
    settings_.language = language;
    return reader::ReadXML(settings_, view_);
  }
  // The same read in a child process, killed after `seconds`: a read that
  // never ends fails a test instead of hanging it. True when it ended.
  bool readEnds(const std::string& path, int seconds) {
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
  // Names of the files in the output folder, sorted.
  std::vector<std::string> outputFiles() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(out_))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // What the fake xdg-open was asked to open (waits up to two seconds).
  std::string openedTarget() const {
    for (int i = 0; i < 200 && !std::filesystem::exists(dir_ / "opened.txt"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return readAll(dir_ / "opened.txt");
  }
  // Everything a read leaves to be seen, one item a line: the view's
  // non-empty fields and grid rows, every dialog, every output file with its
  // content. Folders show as {dir} and {data}.
  std::string outcome() {
    static const char* const kIcons[] = {"none", "information", "exclamation", "critical",
                                         "question"};
    std::ostringstream o;
    o << "syntax " << view_.syntax << ", save " << view_.saveEnabled << ", lost "
      << settings_.attachmentsLost << ", format '" << settings_.viewNumberFormat << "', read "
      << std::filesystem::path(settings_.invoiceFile).filename().string() << "\n";
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
    for (const auto& name : outputFiles())
      o << "file " << quoted(name) << " " << quoted(readAll(out_ / name), true) << "\n";
    std::string text = o.str();
    replaceAll(text, dir_.string(), "{dir}");
    replaceAll(text, BELVORA_TEST_DATA_DIR "/reader", "{data}");
    return text;
  }

  TempDir temp_;
  std::filesystem::path dir_ = temp_.path();
  std::filesystem::path out_ = dir_ / "out";
  ScopedFakeInteraction fake_;
  reader::ReaderSettings settings_;
  reader::ViewModel view_;

 private:
  std::string oldPath_;
};

}  // namespace belvora::test
