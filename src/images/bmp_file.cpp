#include "images/bmp_file.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include "foundations/file_system.h"
#include "foundations/io_error.h"

namespace skarvel {

namespace {

void PutU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v & 0xFFu);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFFu);
}

std::uint32_t GetU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

int ErrnoCode() { return IOCodeFromErrno(errno == 0 ? EIO : errno); }

}  // namespace

BMPFileObj::BMPFileObj(std::string path, platform::Platform& ui)
    : path_(std::move(path)), tempPath_(path_ + ".part"), ui_(ui) {}

BMPFileObj::~BMPFileObj() {
  CloseFile();
  std::remove(tempPath_.c_str());
  if (finished_ && StillOurs()) std::remove(path_.c_str());
}

bool BMPFileObj::StillOurs() const {
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0) return false;
  return static_cast<std::uint64_t>(st.st_dev) == device_ && static_cast<std::uint64_t>(st.st_ino) == inode_;
}

void BMPFileObj::CloseFile() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  fileOpen_ = false;
}

std::string BMPFileObj::PathFor(const std::string& dataDir, const std::string& imageFileName,
                               const std::string& suffix) {
  std::string name = fs::FileNameOf(imageFileName);
  const auto dot = name.find('.');
  if (dot != std::string::npos) name.erase(dot, 4);
  return dataDir + name + suffix + ".BMP";
}

void BMPFileObj::ShowFailure(const std::string& text, int code) {
  platform::Tell(ui_, text + "\r\n\r\nFile Name: " + path_ + "\r\nIOResult = " + std::to_string(code),
                 "BMP File Error!", platform::Icon::Error);
}

bool BMPFileObj::BeginFile(std::int32_t width, std::int32_t height) {
  CloseFile();
  finished_ = false;
  headerWritten_ = false;
  bytesWritten_ = 0;
  width_ = width;
  height_ = height;
  stride_ = StrideOf(width);
  imageBytes_ = static_cast<std::int64_t>(stride_) * height;

  fileHeader_.fill(0);
  fileHeader_[0] = 'B';
  fileHeader_[1] = 'M';
  PutU32(&fileHeader_[10], static_cast<std::uint32_t>(kPixelOffset));

  std::uint8_t* h = info_.data();
  std::memset(h, 0, kInfoHeaderBytes);
  PutU32(h + 0, static_cast<std::uint32_t>(kInfoHeaderBytes));
  PutU32(h + 4, static_cast<std::uint32_t>(width));
  PutU32(h + 8, static_cast<std::uint32_t>(-height));  // top row first
  PutU16(h + 12, 1);                                    // planes
  PutU16(h + 14, 8);                                    // bits per pixel
  PutU32(h + 32, 256);                                  // colours used

  errno = 0;
  file_ = std::fopen(tempPath_.c_str(), "wb");
  if (file_ == nullptr) {
    ShowFailure("Unable to Create BMP File!", ErrnoCode());
    return false;
  }
  fileOpen_ = true;
  if (std::fwrite(fileHeader_.data(), 1, fileHeader_.size(), file_) != fileHeader_.size()) {
    CloseFile();
    std::remove(tempPath_.c_str());
    ShowFailure("Unable to Create BMP File!", io_code::kDiskFull);
    return false;
  }
  return true;
}

void BMPFileObj::SetPalette(const GreyPalette& grey) {
  for (std::size_t i = 0; i < grey.size(); ++i) {
    std::uint8_t* e = info_.data() + kInfoHeaderBytes + 4 * i;
    e[0] = e[1] = e[2] = grey[i];
    e[3] = 0;
  }
}

bool BMPFileObj::WriteInfo() {
  if (!fileOpen_) return false;
  headerWritten_ = std::fwrite(info_.data(), 1, info_.size(), file_) == info_.size();
  return headerWritten_;
}

bool BMPFileObj::WriteRow(const std::uint8_t* buffer, std::int32_t n) {
  if (!fileOpen_ || !headerWritten_ || finished_ || n < 0) return false;
  const auto written = std::fwrite(buffer, 1, static_cast<std::size_t>(n), file_);
  bytesWritten_ += static_cast<std::int64_t>(written);
  return written == static_cast<std::size_t>(n);
}

bool BMPFileObj::Finish() {
  if (!fileOpen_ || !headerWritten_ || bytesWritten_ < imageBytes_) return false;
  const bool flushed = std::fflush(file_) == 0;
  CloseFile();
  if (!flushed || std::rename(tempPath_.c_str(), path_.c_str()) != 0) {
    std::remove(tempPath_.c_str());
    return false;
  }
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0) {
    device_ = static_cast<std::uint64_t>(st.st_dev);
    inode_ = static_cast<std::uint64_t>(st.st_ino);
  }
  finished_ = true;
  return true;
}

bool BMPFileObj::RewriteInfo() {
  if (!finished_) return false;
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0 && !StillOurs()) return true;  // another image's bitmap now: leave it
  errno = 0;
  std::FILE* f = std::fopen(path_.c_str(), "r+b");
  if (f == nullptr) {
    ShowFailure("Error Accessing Temporary BMP File!", ErrnoCode());
    return false;
  }
  bool ok = std::fseek(f, kFileHeaderBytes, SEEK_SET) == 0 &&
            std::fwrite(info_.data(), 1, info_.size(), f) == info_.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) ShowFailure("Error Accessing Temporary BMP File!", io_code::kDiskFull);
  return ok;
}

bool ReadBitmapPalette(const std::string& path, GreyPalette& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::array<std::uint8_t, 1024> entries{};
  const bool ok = std::fseek(f, 54, SEEK_SET) == 0 && std::fread(entries.data(), 1, entries.size(), f) == entries.size();
  std::fclose(f);
  if (!ok) return false;
  for (std::size_t i = 0; i < 256; ++i) out[i] = entries[4 * i];
  return true;
}

bool ReadIndexedBitmap(const std::string& path, IndexedBitmap& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::array<std::uint8_t, BMPFileObj::kPixelOffset> head{};
  bool ok = std::fread(head.data(), 1, head.size(), f) == head.size();
  const auto width = static_cast<std::int32_t>(GetU32(&head[18]));
  const auto height = -static_cast<std::int32_t>(GetU32(&head[22]));
  ok = ok && head[0] == 'B' && head[1] == 'M' && GetU32(&head[10]) == BMPFileObj::kPixelOffset && head[28] == 8 &&
       width > 0 && height > 0;
  if (ok) {
    out.width = width;
    out.height = height;
    out.stride = BMPFileObj::StrideOf(width);
    for (std::size_t i = 0; i < 256; ++i) out.palette[i] = head[54 + 4 * i];
    out.rows.resize(static_cast<std::size_t>(out.stride) * static_cast<std::size_t>(height));
    ok = std::fread(out.rows.data(), 1, out.rows.size(), f) == out.rows.size();
  }
  std::fclose(f);
  return ok;
}

}  // namespace skarvel
