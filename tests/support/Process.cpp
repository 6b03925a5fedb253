#include "support/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "support/TempDir.h"

extern char** environ;

namespace belvora::test {

RunResult RunProcess(const Run& run) {
  RunResult result;
  if (run.argv.empty()) return result;
  TempDir dir;
  const std::string outFile = dir / "out", errFile = dir / "err";

  std::vector<std::string> envStrings;
  if (!run.replaceEnvironment)
    for (char** e = environ; *e; ++e) envStrings.emplace_back(*e);
  for (const std::string& e : run.env) {
    const std::string name = e.substr(0, e.find('=') + 1);
    std::erase_if(envStrings, [&](const std::string& s) { return s.rfind(name, 0) == 0; });
    envStrings.push_back(e);
  }
  std::vector<char*> envp, argv;
  for (auto& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = run.argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, run.stdinFile.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  if (run.mergeErr)
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  else
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return result;

  const auto deadline = std::chrono::steady_clock::now() + run.timeout;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      result.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = readAll(outFile);
  result.err = readAll(errFile);
  return result;
}

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string rest = path ? path : "";
  for (std::size_t start = 0; start <= rest.size();) {
    std::size_t end = rest.find(':', start);
    if (end == std::string::npos) end = rest.size();
    const std::filesystem::path candidate =
        std::filesystem::path(rest.substr(start, end - start)) / program;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace belvora::test
