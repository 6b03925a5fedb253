#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace belvora::test {

struct Run {
  std::vector<std::string> argv;    // argv[0] is looked up on PATH when it has no '/'
  std::vector<std::string> env;     // "NAME=value": replaces the environment when
  bool replaceEnvironment = false;  // set, else adds to it
  std::string stdinFile = "/dev/null";
  std::chrono::seconds timeout{120};  // killed after it
  bool mergeErr = false;              // standard error into `out`, interleaved
};

struct RunResult {
  int status = -1;  // exit status; -1 when it could not start, 128+n when killed by signal n
  std::string out;  // standard output
  std::string err;  // standard error
  bool timedOut = false;
};

// Runs a program without a shell and collects what it printed.
RunResult RunProcess(const Run& run);

// True when the program is found on PATH.
bool OnPath(const std::string& program);

}  // namespace belvora::test
