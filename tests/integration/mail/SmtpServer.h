#pragma once

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/sys/Files.h"

extern char** environ;

namespace belvora::test {

// Runs a command to its end; false when it could not run or failed.
inline bool run(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return rc == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// A self-signed certificate for the names in san ("IP:127.0.0.1", ...).
inline void makeCertificate(const std::string& cert, const std::string& key,
                            const std::string& san) {
  if (!run({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
            "-nodes", "-days", "2", "-subj", "/CN=belvora test", "-addext", "subjectAltName=" + san,
            "-keyout", key, "-out", cert}))
    throw std::runtime_error("openssl could not make a test certificate");
}

// The test SMTP server (smtp_server.py) on 127.0.0.1; stopped with the object.
class SmtpServer {
 public:
  SmtpServer(const std::string& folder, const std::string& cert, const std::string& key,
             const std::string& user, const std::string& password)
      : folder_(folder) {
    std::filesystem::create_directories(folder);
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
      throw std::runtime_error("pipe");
    std::vector<std::string> argv = {
        BELVORA_SYSTEM_PYTHON, BELVORA_SMTP_SERVER_SCRIPT, folder, cert, key, user, password};
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    int rc = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    if (rc != 0) {
      ::close(out[0]);
      throw std::runtime_error("cannot start the test SMTP server");
    }
    std::string line;
    pollfd p{out[0], POLLIN, 0};
    char c = 0;
    while (::poll(&p, 1, 20000) == 1 && ::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    port_ = line.empty() ? 0 : std::stoi(line);
    if (port_ == 0) throw std::runtime_error("the test SMTP server did not start");
  }
  ~SmtpServer() {
    ::close(stdin_);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
      if (::waitpid(pid_, &status, WNOHANG) == pid_) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
  }
  SmtpServer(const SmtpServer&) = delete;
  SmtpServer& operator=(const SmtpServer&) = delete;

  int port() const { return port_; }
  // Messages stored so far.
  int received() const {
    int n = 0;
    while (std::filesystem::exists(file(n + 1, "eml"))) ++n;
    return n;
  }
  std::string file(int n, const std::string& kind) const {
    return folder_ + "/" + std::to_string(n) + "." + kind;
  }
  std::string read(int n, const std::string& kind) const {
    return sys::fileExists(file(n, kind)) ? sys::readFile(file(n, kind)) : std::string();
  }

 private:
  std::string folder_;
  pid_t pid_ = 0;
  int stdin_ = -1;
  int port_ = 0;
};

}  // namespace belvora::test
