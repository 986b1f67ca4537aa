#include "images/graphics_file.h"

#include "images/bmp_file.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <fstream>

#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "foundations/strings.h"

namespace skarvel {

using platform::Buttons;
using platform::Icon;

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const auto last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

std::string WithoutExtension(const std::string& name) {
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

GraphicsFileObj::GraphicsFileObj(ImageLoadContext context) : context_(std::move(context)) {}

GraphicsFileObj::~GraphicsFileObj() {
  displayBitmap.reset();
  if (headerTextPresent) fs::RemoveFile(headerTextPath);
}

void GraphicsFileObj::ForgetImage() {
  pixels = IntArrayList();
  if (headerTextPresent) fs::RemoveFile(headerTextPath);
  headerTextPresent = false;
}

void GraphicsFileObj::SetNames(const std::string& path) {
  const std::string name = Upper(fs::FileNameOf(path));
  const auto dot = name.rfind('.');
  const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot, 4);
  std::string stem = name;
  if (!ext.empty()) stem.erase(stem.find(ext), ext.size());
  displayName = stem + ext;
  const std::string folder = fs::WithTrailingSeparator(context_.dataDir);
  // Two images of one name (from two folders, or one reloaded into its slot)
  // keep separate temporary files: each deletes exactly what it wrote.
  constexpr int kMaxSuffix = 99;  // four slots and a replaced image need at most five names
  tempSuffix.clear();
  for (int n = 2; n <= kMaxSuffix && tempNameTaken &&
                  tempNameTaken(folder + stem + tempSuffix + ".HDR",
                                         BMPFileObj::PathFor(folder, path, tempSuffix));
       ++n)
    tempSuffix = "-" + std::to_string(n);
  headerTextPath = folder + stem + tempSuffix + ".HDR";
}

std::string GraphicsFileObj::BitmapPath() const {
  return BMPFileObj::PathFor(fs::WithTrailingSeparator(context_.dataDir), fileName, tempSuffix);
}

std::optional<std::string> GraphicsFileObj::OpenImageFile(const std::string& path, std::ifstream& in,
                                                          const std::string& kind, const std::string& caption,
                                                          const std::string& temporaryCaption) {
  if (headerTextPresent) ForgetImage();
  if (in.is_open()) in.close();
  in.clear();
  const std::string resolved = fs::Resolve(path);
  struct stat st {};
  int openError = 0;
  if (::stat(resolved.c_str(), &st) != 0) openError = IOCodeFromErrno(errno);
  else if (!S_ISREG(st.st_mode)) openError = io_code::kAccessDenied;
  else {
    in.open(resolved, std::ios::binary);
    if (!in) openError = IOCodeFromErrno(errno == 0 ? EACCES : errno);
  }
  if (openError != 0) {
    if (context_.ui != nullptr)
      platform::Tell(*context_.ui,
                     "Unable to Open " + kind + " File!\r\n\r\nFile Name: " + path + "\r\nIOResult = " +
                         std::to_string(openError),
                     caption, Icon::Error);
    return std::nullopt;
  }
  if (st.st_size == 0) {
    TellEmptyFile(path, caption);
    in.close();
    return std::nullopt;
  }
  SetNames(path);
  std::ofstream text(headerTextPath, std::ios::trunc);
  if (!text) {
    if (context_.ui != nullptr)
      platform::Tell(*context_.ui,
                     "Unable to Open Temporary File!\r\n\r\nFile Name: " + path + "\r\nIOResult = " +
                         std::to_string(IOCodeFromErrno(errno)),
                     temporaryCaption, Icon::Error);
    in.close();
    return std::nullopt;
  }
  headerTextPresent = true;
  return resolved;
}

bool GraphicsFileObj::KeepCompleteRows(std::int32_t completeRows) {
  if (!ConfirmAfterErrors() || completeRows <= 0) return false;
  if (completeRows >= height) return true;
  IntArrayList kept;
  if (!kept.Create(width, completeRows)) return false;
  for (std::int32_t y = 0; y < completeRows; ++y) kept.StoreRow(y, pixels.Row(y));
  pixels = std::move(kept);
  height = completeRows;
  total = width * completeRows;
  return true;
}

void GraphicsFileObj::TellEmptyFile(const std::string& path, const std::string& caption) {
  if (context_.ui == nullptr) return;
  context_.ui->Beep();
  platform::Tell(*context_.ui, "File is Empty!\r\nFile Name: " + path + "\r\n\r\nThe file holds 0 bytes: no header and no image.",
                 caption, Icon::Error);
}

bool GraphicsFileObj::SizeFits(std::int64_t w, std::int64_t h, const std::string& caption) {
  if (w >= 1 && h >= 1 && w <= kMaxWidth && h <= kMaxHeight && w * h <= kMaxPixels) return true;
  if (context_.ui != nullptr)
    platform::Tell(*context_.ui,
                   "The image " + displayName + " is " + std::to_string(w) + " x " + std::to_string(h) +
                       " pixels.\r\n\r\nImages of 1 to 16383 pixels per row, 1 to 65535 rows and at most "
                       "134217728 pixels in all can be loaded.",
                   caption, Icon::Error);
  return false;
}

bool GraphicsFileObj::ConfirmAfterErrors() {
  if (context_.ui == nullptr) return false;
  return platform::Tell(*context_.ui,
                        "Errors were detected while loading and processing " + displayName + ".  " +
                            "The resulting image may or may not be useable." + "\r\n\r\n" +
                            "Press \"OK\" to attempt to generate the image, \"Cancel\" to abort.",
                        "File Errors Detected!", Icon::Stop, Buttons::OkCancel) == platform::Answer::Ok;
}

TextListContent GraphicsFileObj::HeaderWindowContent(const std::string& captionPrefix) const {
  TextListContent c;
  c.caption = captionPrefix + displayName;
  c.saveFilter = "Image Header Text (*.HDR)|*.HDR";
  c.saveName = WithoutExtension(displayName) + ".HDR";
  std::ifstream in(headerTextPath);
  std::string line;
  // The header text of one image is at most a few thousand lines; 1e6 bounds a hostile one.
  for (std::size_t n = 0; n < 1000000 && std::getline(in, line); ++n) c.lines.push_back(line);
  return c;
}

TextListContent GraphicsFileObj::ImageDataWindowContent(const std::string& captionPrefix) const {
  TextListContent c;
  c.caption = captionPrefix + "Image Data";
  c.saveFilter = "Image Display Info (*.IMG)|*.IMG";
  c.saveName = WithoutExtension(displayName) + ".IMG";
  c.lines = {
      "File Name: " + fileName,
      "File Type: " + formatDescription,
      "Width: " + std::to_string(width) + " Pixels;  " + "Height: " + std::to_string(height) + " Pixels;  " +
          "Total: " + std::to_string(total) + " Pixels",
      "Raw Pixel Values - Minimum: " + FormatFixed(1, minimum) + ";   Maximum: " + FormatFixed(1, maximum),
      "Maximum Bin: " + std::to_string(modeBin) + ";  Count: " + std::to_string(modeCount),
      "First Zero Bin: " + std::to_string(firstZeroBin),
      "Adjusted Image Range - Low: " + FormatFixed(1, displayLow) + ";  High: " + FormatFixed(1, displayHigh),
  };
  for (std::string& line : ImageDataExtraLines()) c.lines.push_back(std::move(line));
  return c;
}

std::uint8_t ParseFilterCode(const std::string& text) {
  const std::string t = Upper(Trim(text));
  if (t.empty()) return 8;
  static const char* const kNames[] = {"B", "V", "R", "I", "J", "H", "K", "NONE"};  // codes 0..7
  for (std::uint8_t i = 0; i < 8; ++i)
    if (t.rfind(kNames[i], 0) == 0) return i;
  if (t.rfind("CLEAR", 0) == 0) return 7;
  return 8;
}

void ShowNumericConversionError(platform::Platform& ui, const std::string& keyword, const std::string& data) {
  ui.Beep();
  platform::Tell(ui, "Keyword field contains non-numeric data.\r\n\r\nKeyword: " + keyword + "\r\nData: " + data,
                 "Numeric Conversion Error", Icon::Information);
}

}  // namespace skarvel
