// A small tmpfs of the tests' own, for saves on a really full disk and in a
// read-only folder: mounted in a private mount namespace of the calling
// thread (unshare(CLONE_NEWNS), every mount made private first), so nothing
// outside the test process sees it. Needs root (or CAP_SYS_ADMIN); where the
// machine does not allow it, Ok() is false and Why() says what failed, for a
// GTEST_SKIP. (The test run is root, so chmod cannot make a folder read-only.)
#pragma once

#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace skarvel::testing {

class PrivateMount {
 public:
  /// Mounts a tmpfs of `bytes` (whole pages) on a new folder under $TMPDIR or /tmp.
  explicit PrivateMount(std::size_t bytes) {
    static const std::string unshared = [] {
      if (::unshare(CLONE_NEWNS) != 0) return "unshare(CLONE_NEWNS): " + std::string(std::strerror(errno));
      if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return "making the mounts private: " + std::string(std::strerror(errno));
      return std::string();
    }();
    if (!unshared.empty()) {
      why_ = unshared;
      return;
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/skarvel-mount-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
      why_ = "mkdtemp: " + std::string(std::strerror(errno));
      return;
    }
    dir_ = buffer.data();
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("tmpfs", dir_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
      why_ = "mounting a tmpfs: " + std::string(std::strerror(errno));
      ::rmdir(dir_.c_str());
      dir_.clear();
      return;
    }
    mounted_ = true;
  }
  ~PrivateMount() {
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
    if (!dir_.empty()) ::rmdir(dir_.c_str());
  }
  PrivateMount(const PrivateMount&) = delete;
  PrivateMount& operator=(const PrivateMount&) = delete;

  bool Ok() const { return mounted_; }
  const std::string& Why() const { return why_; }
  /// The mount folder with a trailing separator.
  std::string Path() const { return dir_ + "/"; }
  std::string operator/(const std::string& name) const { return Path() + name; }

  /// Remounts the folder read-only (what is in it stays readable).
  bool MakeReadOnly() {
    return mounted_ && ::mount(nullptr, dir_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  std::string dir_;
  std::string why_;
  bool mounted_ = false;
};

}  // namespace skarvel::testing
