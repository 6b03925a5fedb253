#include "ReadOnlyPath.h"

#include <errno.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace belvora::test {
namespace {

std::string why(const std::string& what) { return what + ": " + std::strerror(errno); }

bool writable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

}  // namespace

ReadOnlyPath::ReadOnlyPath(std::string path, std::string writableFile)
    : path_(std::move(path)), writableFile_(std::move(writableFile)) {
  const bool made = ::geteuid() == 0 ? mountReadOnly() : removeWriteBits();
  if (made && writable(path_)) failure_ = path_ + " is still writable";
  if (made && !writableFile_.empty() && !writable(path_ + "/" + writableFile_))
    failure_ = writableFile_ + " is not writable";
}

bool ReadOnlyPath::mountReadOnly() {
  // Once per process: later mounts stay out of everyone else's view.
  static const std::string privateNamespace = [] {
    if (::unshare(CLONE_NEWNS) != 0) return why("unshare(CLONE_NEWNS)");
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      return why("mount --make-rprivate /");
    return std::string();
  }();
  if (!privateNamespace.empty()) {
    failure_ = privateNamespace;
    return false;
  }
  if (!writableFile_.empty()) {
    char pattern[] = "/tmp/belvora-alias-XXXXXX";
    if (!::mkdtemp(pattern)) {
      failure_ = why("mkdtemp");
      return false;
    }
    alias_ = pattern;
    if (::mount(path_.c_str(), alias_.c_str(), nullptr, MS_BIND, nullptr) != 0) {
      failure_ = why("bind " + path_);
      return false;
    }
  }
  if (::mount(path_.c_str(), path_.c_str(), nullptr, MS_BIND, nullptr) != 0) {
    failure_ = why("bind " + path_);
    return false;
  }
  mounted_ = true;
  if (::mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
    failure_ = why("remount read-only " + path_);
    return false;
  }
  if (!writableFile_.empty()) {
    const std::string file = path_ + "/" + writableFile_;
    if (::mount((alias_ + "/" + writableFile_).c_str(), file.c_str(), nullptr, MS_BIND, nullptr) !=
        0) {
      failure_ = why("bind " + file);
      return false;
    }
    fileMounted_ = true;
  }
  return true;
}

bool ReadOnlyPath::removeWriteBits() {
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0) {
    failure_ = why("stat " + path_);
    return false;
  }
  savedMode_ = st.st_mode & 07777;
  if (::chmod(path_.c_str(), savedMode_ & ~0222u) != 0) {
    failure_ = why("chmod " + path_);
    return false;
  }
  chmodded_ = true;
  return true;
}

ReadOnlyPath::~ReadOnlyPath() {
  if (fileMounted_) ::umount2((path_ + "/" + writableFile_).c_str(), MNT_DETACH);
  if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  if (!alias_.empty()) {
    ::umount2(alias_.c_str(), MNT_DETACH);
    ::rmdir(alias_.c_str());
  }
  if (chmodded_) ::chmod(path_.c_str(), savedMode_);
}

}  // namespace belvora::test
