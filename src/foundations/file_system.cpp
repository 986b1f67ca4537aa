#include "foundations/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "foundations/io_error.h"

namespace skarvel::fs {

namespace stdfs = std::filesystem;

std::string NativePath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', kSeparator);
  return path;
}

std::string WithTrailingSeparator(std::string dir) {
  dir = NativePath(std::move(dir));
  if (!dir.empty() && dir.back() != kSeparator) dir.push_back(kSeparator);
  return dir;
}

bool HasDirectory(const std::string& name) {
  return name.find('/') != std::string::npos || name.find('\\') != std::string::npos;
}

std::string DirectoryOf(const std::string& path) {
  const std::string p = NativePath(path);
  const auto pos = p.rfind(kSeparator);
  return pos == std::string::npos ? std::string() : p.substr(0, pos + 1);
}

std::string FileNameOf(const std::string& path) {
  const std::string p = NativePath(path);
  const auto pos = p.rfind(kSeparator);
  return pos == std::string::npos ? p : p.substr(pos + 1);
}

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    if (std::tolower(ca) != std::tolower(cb)) return false;
  }
  return true;
}

bool Exists(const std::string& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0;
}

}  // namespace

std::string Resolve(const std::string& path) {
  std::string p = NativePath(path);
  if (p.empty() || Exists(p)) return p;
  bool trailing = p.size() > 1 && p.back() == kSeparator;
  if (trailing) p.pop_back();
  const std::string dir = DirectoryOf(p);
  const std::string name = FileNameOf(p);
  const std::string folder = dir.empty() ? std::string(".") : Resolve(dir);
  std::error_code ec;
  std::vector<std::string> matches;
  for (stdfs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (SameIgnoringCase(entry, name)) matches.push_back(entry);
  }
  if (matches.empty()) return NativePath(path);
  std::sort(matches.begin(), matches.end());
  std::string result = (dir.empty() ? std::string() : WithTrailingSeparator(folder)) + matches.front();
  if (trailing) result.push_back(kSeparator);
  return result;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(Resolve(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(Resolve(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DirectoryWritable(const std::string& dir) {
  const std::string test = WithTrailingSeparator(dir.empty() ? CurrentDirectory() : dir) + "Test.tmp";
  const int fd = ::open(test.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    // An old test file left behind still proves nothing: try to replace it.
    if (errno != EEXIST) return false;
    const int fd2 = ::open(test.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd2 < 0) return false;
    ::close(fd2);
  } else {
    ::close(fd);
  }
  ::unlink(test.c_str());
  return true;
}

bool MakeDirectories(const std::string& dir) {
  std::error_code ec;
  stdfs::create_directories(NativePath(dir), ec);
  return DirectoryExists(dir);
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::uint64_t maxBytes) {
  const std::string p = Resolve(path);
  struct stat st {};
  if (::stat(p.c_str(), &st) != 0) throw IOFailure(IOCodeFromErrno(errno));
  if (!S_ISREG(st.st_mode)) throw IOFailure(io_code::kAccessDenied);
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) throw IOFailure(io_code::kInvalidInput);
  std::ifstream in(p, std::ios::binary);
  if (!in) throw IOFailure(IOCodeFromErrno(errno));
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (static_cast<std::size_t>(in.gcount()) != bytes.size()) throw IOFailure(io_code::kEndOfFile);
  return bytes;
}

AtomicFile::AtomicFile(const std::string& path) : target_(Resolve(path)) {
  std::random_device rd;
  for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
    temp_ = target_ + ".~" + std::to_string(rd() % 1000000u) + ".tmp";
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) throw IOFailure(IOCodeFromErrno(errno));
}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_) ::unlink(temp_.c_str());
}

void AtomicFile::Write(const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IOFailure(IOCodeFromErrno(errno));
    }
    done += static_cast<std::size_t>(n);
  }
}

void AtomicFile::Commit() {
  if (::fsync(fd_) != 0 && errno != EINVAL) throw IOFailure(IOCodeFromErrno(errno));
  const int rc = ::close(fd_);
  fd_ = -1;
  if (rc != 0) throw IOFailure(IOCodeFromErrno(errno));
  if (::rename(temp_.c_str(), target_.c_str()) != 0) throw IOFailure(IOCodeFromErrno(errno));
  committed_ = true;
}

void AtomicWriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  AtomicFile file(path);
  file.Write(bytes);
  file.Commit();
}

void CopyFileBytes(const std::string& from, const std::string& to) {
  // Record files of this system are small; 1 GiB bounds a hostile one.
  constexpr std::uint64_t kMaxCopyBytes = 1ull << 30;
  AtomicWriteFile(to, ReadFileBytes(from, kMaxCopyBytes));
}

bool RemoveFile(const std::string& path) { return ::unlink(Resolve(path).c_str()) == 0; }

std::string CurrentDirectory() {
  std::error_code ec;
  const auto p = stdfs::current_path(ec);
  return ec ? std::string() : WithTrailingSeparator(p.string());
}

bool SetCurrentDirectory(const std::string& dir) {
  std::error_code ec;
  stdfs::current_path(NativePath(dir), ec);
  return !ec;
}

std::string ExecutableDirectory() {
  std::error_code ec;
  const auto p = stdfs::read_symlink("/proc/self/exe", ec);
  if (ec) return CurrentDirectory();
  return WithTrailingSeparator(p.parent_path().string());
}

}  // namespace skarvel::fs
