// A full disk for the tests of saves: a limit on the size of any file the
// process writes (RLIMIT_FSIZE, with SIGXFSZ ignored so that a write beyond it
// fails with EFBIG instead of ending the process). Needs no privileges.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace skarvel::testing {

/// Limits the size of written files to `bytes` while it lives.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  sighandler_t oldHandler_ = SIG_DFL;
};

}  // namespace skarvel::testing
