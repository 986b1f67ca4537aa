#include "orbits/orbit_files.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"
#include "foundations/strings.h"
#include "orbits/designation.h"
#include "orbits/orbit_records.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

/// Julian date of the Unix epoch 1970-01-01 00:00.
constexpr long double kUnixEpochJD = 2440587.5L;
/// Longest MPCORB line kept; the rest of a longer line is passed over.
constexpr std::size_t kMaxLineChars = 4096;
/// Bytes read from a source at a time, and converted bytes gathered before a write.
constexpr std::size_t kReadChunk = 1 << 20;
constexpr std::size_t kWriteChunk = 1 << 20;
/// Lines searched for the dashed line that ends an MPCORB head, with MpcHeader::kAuto.
constexpr int kHeadSearchLines = 200;
/// Bytes of the MPCORB head and of MPCORB text per progress step, for the
/// progress interval ((size - 39) / 20200 records).
constexpr std::int64_t kMpcHeadBytes = 39;
constexpr std::int64_t kMpcBytesPerStep = 20200;
/// Converted records read from a file at a time.
constexpr std::size_t kRecordsPerRead = 4096;

/// The modification time of a file in seconds since the Unix epoch.
std::optional<long double> ModifiedSeconds(const std::string& path) {
  struct stat st {};
  if (::stat(fs::Resolve(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<long double>(st.st_mtim.tv_sec) + static_cast<long double>(st.st_mtim.tv_nsec) * 1e-9L;
}

/// Which step of a conversion failed.
enum class Stage { kOpenSource, kCreateTarget };

class StageFailure : public IOFailure {
 public:
  StageFailure(Stage stage, int code) : IOFailure(code), stage_(stage) {}
  Stage GetStage() const { return stage_; }

 private:
  Stage stage_;
};

/// A source file read in chunks.
class SourceFile {
 public:
  explicit SourceFile(const std::string& path) {
    file_ = std::fopen(fs::Resolve(path).c_str(), "rb");
    if (file_ == nullptr) throw StageFailure(Stage::kOpenSource, IOCodeFromErrno(errno));
    struct stat st {};
    if (::fstat(fileno(file_), &st) != 0 || !S_ISREG(st.st_mode)) {
      std::fclose(file_);
      file_ = nullptr;
      throw StageFailure(Stage::kOpenSource, io_code::kAccessDenied);
    }
    size_ = static_cast<std::int64_t>(st.st_size);
  }
  ~SourceFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;

  /// Reads up to `max` bytes into `buffer`; 0 at the end. Throws IOFailure on a read error.
  std::size_t Read(std::vector<char>& buffer, std::size_t max) {
    buffer.resize(max);
    const std::size_t n = std::fread(buffer.data(), 1, max, file_);
    if (n < max && std::ferror(file_)) throw IOFailure(io_code::kInvalidInput);
    buffer.resize(n);
    bytesRead_ += static_cast<std::int64_t>(n);
    return n;
  }
  std::int64_t Size() const { return size_; }
  std::int64_t BytesRead() const { return bytesRead_; }

 private:
  std::FILE* file_ = nullptr;
  std::int64_t size_ = 0;
  std::int64_t bytesRead_ = 0;
};

/// Gathers converted records and writes them to the temporary file in chunks.
class RecordSink {
 public:
  explicit RecordSink(fs::AtomicFile& file) : file_(file) {}
  void Add(const CmoRecord& rec) {
    WriteCmoRecord(writer_, rec, &cache_);
    if (writer_.Size() >= kWriteChunk) Flush();
  }
  void Flush() {
    if (writer_.Size() == 0) return;
    file_.Write(writer_.Buffer());
    writer_ = ByteWriter();
  }

 private:
  fs::AtomicFile& file_;
  ByteWriter writer_;
  CmoWriteCache cache_;
};

/// The conversion of one record after another, with progress and the bad-record question.
class Converter {
 public:
  Converter(OrbitSourceFormat format, bool sevenChar, const ConversionCallbacks& callbacks, RecordSink& sink,
            std::int64_t progressInterval, const SourceFile& source)
      : format_(format),
        sevenChar_(sevenChar),
        callbacks_(callbacks),
        sink_(sink),
        interval_(progressInterval < 1 ? 1 : progressInterval),
        source_(source) {
    SetAsteroidDefaults(working_);
  }

  void Record(std::string_view text) {
    try {
      if (format_ == OrbitSourceFormat::kLowell) {
        ParseLowellNames(text, sevenChar_, working_);
        ParseLowellRecord(text, sevenChar_, working_, codes_);
      } else {
        ParseMpcorbNames(text, working_);
        ParseMpcorbLine(text, working_, codes_);
      }
      CmoRecord rec = ElementsToCmo(working_, callbacks_.kepler);
      rec.codes = codes_;
      sink_.Add(rec);
      ++stats_.records;
    } catch (const OrbitRecordError& e) {
      ++stats_.skipped;
      const bool skip = !callbacks_.badRecord || callbacks_.badRecord(working_.name, e.what(), stats_.records);
      if (!skip) throw ConversionCancelled("Conversion cancelled at record " + working_.name);
    }
    if (++sinceProgress_ >= interval_) {
      sinceProgress_ = 0;
      ReportProgress();
    }
  }

  void ReportProgress() const {
    if (!callbacks_.progress) return;
    const std::int64_t size = source_.Size();
    const std::int64_t done = source_.BytesRead();
    callbacks_.progress(size <= 0 ? 100 : static_cast<int>(done >= size ? 100 : (100 * done) / size));
  }

  const ConversionStats& Stats() const { return stats_; }

 private:
  OrbitSourceFormat format_;
  bool sevenChar_;
  const ConversionCallbacks& callbacks_;
  RecordSink& sink_;
  std::int64_t interval_;
  std::int64_t sinceProgress_ = 0;
  const SourceFile& source_;
  OrbitElements working_;
  OrbitCodes codes_{};
  ConversionStats stats_;
};

void ConvertLowellBlocks(SourceFile& source, Converter& converter) {
  std::vector<char> buffer;
  std::string carry;
  while (source.Read(buffer, kReadChunk) > 0) {
    std::string_view data(buffer.data(), buffer.size());
    if (!carry.empty()) {
      const std::size_t need = kLowellRecordBytes - carry.size();
      const std::size_t take = need < data.size() ? need : data.size();
      carry.append(data.substr(0, take));
      data.remove_prefix(take);
      if (carry.size() < kLowellRecordBytes) continue;
      converter.Record(carry);
      carry.clear();
    }
    while (data.size() >= kLowellRecordBytes) {
      converter.Record(data.substr(0, kLowellRecordBytes));
      data.remove_prefix(kLowellRecordBytes);
    }
    carry.assign(data);
  }
}

/// Lines of an MPCORB source, each cut at kMaxLineChars and without its line end.
class LineReader {
 public:
  explicit LineReader(SourceFile& source) : source_(source) {}

  bool Next(std::string_view& line) {
    for (;;) {
      if (at_ < data_.size()) {
        const char* begin = data_.data() + at_;
        const void* nl = std::memchr(begin, '\n', data_.size() - at_);
        if (nl != nullptr) {
          const std::size_t len = static_cast<std::size_t>(static_cast<const char*>(nl) - begin);
          at_ += len + 1;
          if (pending_.empty() && !overflow_) {
            line = Clip(std::string_view(begin, len));
            return true;
          }
          Append(std::string_view(begin, len));
          line_ = pending_;
          pending_.clear();
          overflow_ = false;
          line = Clip(line_);
          return true;
        }
        Append(std::string_view(begin, data_.size() - at_));
        at_ = data_.size();
      }
      if (source_.Read(data_, kReadChunk) == 0) {
        if (pending_.empty() && !overflow_) return false;
        line_ = pending_;
        pending_.clear();
        overflow_ = false;
        line = Clip(line_);
        return true;
      }
      at_ = 0;
    }
  }

 private:
  static std::string_view Clip(std::string_view s) {
    if (s.size() > kMaxLineChars) s = s.substr(0, kMaxLineChars);
    if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
    return s;
  }
  void Append(std::string_view s) {
    if (pending_.size() >= kMaxLineChars) {
      overflow_ = true;
      return;
    }
    const std::size_t room = kMaxLineChars - pending_.size();
    pending_.append(s.substr(0, room));
    if (s.size() > room) overflow_ = true;
  }

  SourceFile& source_;
  std::vector<char> data_;
  std::size_t at_ = 0;
  std::string pending_;
  std::string line_;
  bool overflow_ = false;
};

/// True when one of the first lines of the file starts with "-".
bool HasDashedHead(const std::string& path) {
  SourceFile probe(path);
  LineReader lines(probe);
  std::string_view line;
  for (int k = 0; k < kHeadSearchLines && lines.Next(line); ++k)
    if (!line.empty() && line[0] == '-') return true;
  return false;
}

void ConvertMpcLines(SourceFile& source, Converter& converter, bool skipHead) {
  LineReader lines(source);
  std::string_view line;
  bool inHead = skipHead;
  while (lines.Next(line)) {
    if (inHead) {
      if (!line.empty() && line[0] == '-') inHead = false;
      continue;
    }
    if (line.size() <= 2) continue;
    converter.Record(line);
  }
}

std::string FolderOf(const std::string& path) {
  return fs::DirectoryOf(path);
}

}  // namespace

std::int64_t FileDayStamp(const std::string& path) {
  const auto seconds = ModifiedSeconds(path);
  if (!seconds) return -1;
  const long double jd = *seconds / kSecondsPerDay + kUnixEpochJD;
  return static_cast<std::int64_t>(std::nearbyint(jd + 1e-8L));
}

bool CopyFileTime(const std::string& source, const std::string& target) {
  struct stat st {};
  if (::stat(fs::Resolve(source).c_str(), &st) != 0) return false;
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  return ::utimensat(AT_FDCWD, fs::Resolve(target).c_str(), times, 0) == 0;
}

ConversionStats ConvertOrbitFile(const std::string& source, const std::string& target, OrbitSourceFormat format,
                                 bool sevenChar, MpcHeader header, const ConversionCallbacks& callbacks) {
  const bool skipHead =
      format == OrbitSourceFormat::kMpcorb && (header == MpcHeader::kSkipToDashes || HasDashedHead(source));
  SourceFile in(source);
  std::unique_ptr<fs::AtomicFile> out;
  try {
    out = std::make_unique<fs::AtomicFile>(target);
  } catch (const IOFailure& f) {
    throw StageFailure(Stage::kCreateTarget, f.Code());
  }
  RecordSink sink(*out);
  std::int64_t interval = 1;
  if (format == OrbitSourceFormat::kLowell) {
    const long double n = static_cast<long double>(in.Size() / static_cast<std::int64_t>(kLowellRecordBytes));
    interval = static_cast<std::int64_t>(std::nearbyint(n / 100));
  } else {
    interval = (in.Size() - kMpcHeadBytes) / kMpcBytesPerStep;
  }
  Converter converter(format, sevenChar, callbacks, sink, interval, in);
  if (format == OrbitSourceFormat::kLowell)
    ConvertLowellBlocks(in, converter);
  else
    ConvertMpcLines(in, converter, skipHead);
  sink.Flush();
  if (callbacks.accept && !callbacks.accept(converter.Stats()))
    throw ConversionCancelled("Conversion result refused: " + std::to_string(converter.Stats().records) + " records");
  out->Commit();
  CopyFileTime(source, target);
  converter.ReportProgress();
  return converter.Stats();
}

CmoFileReader::CmoFileReader(const std::string& path) : in_(fs::Resolve(path), std::ios::binary) {
  if (!in_) throw IOFailure(IOCodeFromErrno(errno));
  in_.seekg(0, std::ios::end);
  const std::streamoff size = in_.tellg();
  in_.seekg(0, std::ios::beg);
  if (size < 0) throw IOFailure(io_code::kInvalidInput);
  count_ = static_cast<std::int64_t>(size) / static_cast<std::int64_t>(kCmoRecordBytes);
}

bool CmoFileReader::Next(CmoRecord& record) {
  if (read_ >= count_) return false;
  if (at_ + kCmoRecordBytes > filled_) {
    const std::int64_t left = count_ - read_;
    const std::size_t records =
        left < static_cast<std::int64_t>(kRecordsPerRead) ? static_cast<std::size_t>(left) : kRecordsPerRead;
    buffer_.resize(records * kCmoRecordBytes);
    in_.read(reinterpret_cast<char*>(buffer_.data()), static_cast<std::streamsize>(buffer_.size()));
    filled_ = static_cast<std::size_t>(in_.gcount());
    at_ = 0;
    if (filled_ < kCmoRecordBytes) {
      count_ = read_;  // the file shrank while it was read
      return false;
    }
    filled_ -= filled_ % kCmoRecordBytes;
  }
  ByteReader reader(buffer_.data() + at_, kCmoRecordBytes);
  record = ReadCmoRecord(reader);
  at_ += kCmoRecordBytes;
  ++read_;
  return true;
}

// ---- OrbFileObj ----

OrbFileObj::~OrbFileObj() = default;

void OrbFileObj::RefreshStamps() {
  sourceStamp_ = FileDayStamp(sourceName_);
  convertedStamp_ = FileDayStamp(convertedName_);
  packedStamp_ = FileDayStamp(packedName_);
  sourcePresent_ = sourceStamp_ > 0;
  packedPresent_ = packedStamp_ > 0;
  if (sourcePresent_)
    convertedValid_ = convertedStamp_ > 0 && convertedStamp_ == sourceStamp_;
  else
    convertedValid_ = convertedStamp_ > 0;
}

void OrbFileObj::Locate(OrbitDatabase database) {
  const bool lowell = database == OrbitDatabase::kLowell;
  const OptionsRecord& o = context_.options;
  const std::string stored = lowell ? o.astorbPath : o.mpcOrbPath;
  const std::string folder = fs::WithTrailingSeparator(fs::NativePath(stored.empty() ? o.programDir : stored));
  const std::string sourceFile = lowell ? "ASTORB.DAT" : "MPCORB.DAT";
  const std::string convertedFile = lowell ? "ASTORB.CMO" : "MPCORB.CMO";
  const std::string packedFile = lowell ? "astorb.dat.gz" : "MPCORB.ZIP";
  sourceName_ = fs::Resolve(folder + sourceFile);
  convertedName_ = fs::Resolve(folder + convertedFile);
  packedName_ = fs::Resolve(folder + packedFile);
  if (!fs::FileExists(sourceName_) && !fs::FileExists(convertedName_)) {
    if (fs::FileExists(packedName_)) {
      if (lowell)
        platform::Tell(context_.ui,
                       "After you download the packed version of the Lowell Orbital Elements Database\r\n"
                       "(ASTORB.DAT.GZ), you must extract the file ASTORB.DAT before the data can\r\n"
                       "be used. See \"Help on Lowell Download\" for more information.",
                       "ASTORB.DAT.GZ Found!", Icon::Error);
      else
        platform::Tell(context_.ui,
                       "After you download the packed version of the MPC Orbital Elements Database\r\n"
                       "(MPCORB.ZIP), you must extract the file MPCORB.DAT before the data\r\n"
                       "can be used. See \"Help on MPC Download\" for more information.",
                       "MPCORB.ZIP Found!", Icon::Error);
      RefreshStamps();
      return;
    }
    platform::FileDialogRequest request;
    request.title = lowell ? "Locate Lowell Asteroid Orbits File" : "Locate MPC Asteroid Orbits File";
    request.filter = "Orbit Files (*.DAT)|*.DAT";
    request.defaultExtension = ".DAT";
    request.directory = folder;
    request.fileName = sourceFile;
    const auto chosen = context_.ui.OpenFiles(request);
    if (chosen && !chosen->empty()) {
      const std::string file = fs::NativePath(chosen->front());
      const std::string chosenFolder = fs::WithTrailingSeparator(FolderOf(file));
      if (chosenFolder != fs::WithTrailingSeparator(fs::NativePath(stored))) {
        const std::string question = std::string(lowell ? "Do You Want to Save the Location of the Lowell Orbit File?"
                                                        : "Do You Want to Save the Location of the MPC Orbit File?") +
                                     "\r\n\r\n" + chosenFolder;
        if (platform::Tell(context_.ui, question, "Save Path Information?", Icon::Question, Buttons::YesNo) ==
                Answer::Yes &&
            context_.saveFolder)
          context_.saveFolder(database, chosenFolder);
      }
      sourceName_ = fs::Resolve(file);
      convertedName_ = fs::Resolve(chosenFolder + convertedFile);
      packedName_ = fs::Resolve(chosenFolder + packedFile);
    }
  }
  RefreshStamps();
}

void OrbFileObj::Convert() {
  CloseConverted();
  const std::string text = ProgressText();
  platform::BusyCursor busy(context_.ui);
  std::unique_ptr<platform::ProgressWindow> progress = context_.ui.OpenProgress(text, text, 100, false);
  const KeplerErrorReporter reporter{&context_.ui, context_.options.expertMode};
  ConversionCallbacks callbacks;
  callbacks.kepler = &reporter;
  callbacks.progress = [&](int percent) {
    if (progress) progress->SetPosition(percent);
  };
  callbacks.badRecord = [&](const std::string& name, const std::string&, std::int64_t) {
    return platform::Tell(context_.ui,
                          "Error occurred while processing record!\r\n\r\nBody ID: " + name + "\r\n\r\n" +
                              "Press \"OK\" to skip record and continue.",
                          "Record Converstion Error!", Icon::Error, Buttons::OkCancel) == Answer::Ok;
  };
  try {
    ConvertOrbitFile(sourceName_, convertedName_, Format(), context_.options.oldReportFormat, MpcHeader::kSkipToDashes,
                     callbacks);
  } catch (const ConversionCancelled&) {
    progress.reset();
    convertedValid_ = false;
    fs::RemoveFile(convertedName_);
    RefreshStamps();
    throw;
  } catch (const StageFailure& f) {
    progress.reset();
    const bool opening = f.GetStage() == Stage::kOpenSource;
    platform::Tell(context_.ui,
                   std::string(opening ? "Error Opening Orbit File " : "Error Creating Orbit File ") +
                       (opening ? sourceName_ : convertedName_) + "\r\n\r\n" + IOErrorText(f.Code()),
                   "File Conversion Error!", Icon::Error);
    RefreshStamps();
    return;
  }
  RefreshStamps();
  convertedValid_ = true;
}

void OrbFileObj::ParseRecord(std::string_view record) {
  ParseLowellRecord(record, context_.options.oldReportFormat, working_, codes_);
}

void OrbFileObj::ParseNames(std::string_view record, OrbitElements& target) {
  if (Format() == OrbitSourceFormat::kLowell)
    ParseLowellNames(record, context_.options.oldReportFormat, target);
  else
    ParseMpcorbNames(record, target);
}

void OrbFileObj::ParseCodes(std::string_view record) {
  OrbitElements scratch = working_;
  if (Format() == OrbitSourceFormat::kLowell)
    ParseLowellRecord(record, context_.options.oldReportFormat, scratch, codes_);
  else
    ParseMpcorbLine(record, scratch, codes_);
}

bool OrbFileObj::OpenConverted() {
  reader_.reset();
  try {
    reader_ = std::make_unique<CmoFileReader>(convertedName_);
  } catch (const IOFailure&) {
    reader_.reset();
    return false;
  }
  return true;
}

bool OrbFileObj::NextRecord(CmoRecord& record) {
  return reader_ != nullptr && reader_->Next(record);
}

ASTFileObj::ASTFileObj(OrbitFileContext context) : OrbFileObj(std::move(context)) {
  SetAsteroidDefaults(working_);
  Locate(OrbitDatabase::kLowell);
}

MPCFileObj::MPCFileObj(OrbitFileContext context) : OrbFileObj(std::move(context)) {
  SetAsteroidDefaults(working_);
  Locate(OrbitDatabase::kMpc);
}

void MPCFileObj::ParseRecord(std::string_view record) {
  hPresent_ = ParseMpcorbLine(record, working_, codes_);
}

TARNEFileObj::TARNEFileObj(OrbitFileContext context) : OrbFileObj(std::move(context)) {
  convertedName_ = fs::Resolve(fs::NativePath(context_.options.orbitFileArg));
  convertedStamp_ = FileDayStamp(convertedName_);
  convertedValid_ = true;
}

// ---- CometFileObj ----

CometFileObj::CometFileObj(OrbitFileContext context) {
  const OptionsRecord& o = context.options;
  const std::string folder =
      fs::WithTrailingSeparator(fs::NativePath(o.mpcCometPath.empty() ? o.programDir : o.mpcCometPath));
  fileName_ = fs::Resolve(folder + "COMET.DAT");
  /// Largest comet file read (bytes); the real one is under 200 kB.
  constexpr std::uint64_t kMaxCometFileBytes = 64ULL << 20;
  std::vector<std::uint8_t> bytes;
  try {
    bytes = fs::ReadFileBytes(fileName_, kMaxCometFileBytes);
  } catch (const IOFailure& f) {
    platform::Tell(context.ui, "FileName: " + fileName_ + "\r\n\r\n" + IOErrorText(f.Code()), "Comet File Error",
                   Icon::Warning);
    return;
  }
  if (const auto seconds = ModifiedSeconds(fileName_))
    fileDateTime_ = static_cast<double>(*seconds / kSecondsPerDay + kUnixEpochJD - kJulianDateOffset);
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  OrbitElements el;
  SetCometDefaults(el);
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    try {
      ParseCometLine(line, el);
    } catch (const OrbitRecordError&) {
      ++skipped_;
      continue;
    }
    const CmoRecord rec = ElementsToCmo(el);
    records_.Append(rec);
    headers_.Append(HeaderOf(rec));
  }
  loaded_ = true;
}

// ---- OrbitFiles ----

ASTFileObj& OrbitFiles::OpenLowellObject() {
  if (!lowell_) lowell_ = std::make_unique<ASTFileObj>(context_);
  return *lowell_;
}

MPCFileObj& OrbitFiles::OpenMpcObject() {
  if (!mpc_) mpc_ = std::make_unique<MPCFileObj>(context_);
  return *mpc_;
}

void OrbitFiles::OpenLowell() {
  OpenLowellObject();
  if (lowell_->SourcePresent() && !lowell_->ConvertedValid()) lowell_->Convert();
  if (lowell_->ConvertedValid()) lowell_->OpenConverted();
}

void OrbitFiles::OpenMPC() {
  OpenMpcObject();
  if (mpc_->SourcePresent() && !mpc_->ConvertedValid()) mpc_->Convert();
  if (mpc_->ConvertedValid()) mpc_->OpenConverted();
}

void OrbitFiles::OpenTARNE() {
  tarne_ = std::make_unique<TARNEFileObj>(context_);
  tarne_->OpenConverted();
  current_ = tarne_.get();
}

bool OrbitFiles::OpenAnyAsteroidFile() {
  OpenLowell();
  if (lowell_->ConvertedValid() && lowell_->ConvertedOpen()) {
    current_ = lowell_.get();
    return true;
  }
  OpenMPC();
  if (mpc_->ConvertedValid() && mpc_->ConvertedOpen()) {
    current_ = mpc_.get();
    return true;
  }
  current_ = nullptr;
  return false;
}

void OrbitFiles::CloseOrbitFiles() {
  lowell_.reset();
  mpc_.reset();
  current_ = nullptr;
}

namespace {

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string TrimmedText(const std::string& s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  const std::size_t last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

}  // namespace

std::string OrbitFiles::FindDesignationByName(const std::string& name) {
  std::string query = Upper(name);
  const std::size_t underscore = query.find('_');
  if (underscore != std::string::npos) query.resize(underscore);
  if (query.size() > 4 && IsIntegerText(query.substr(0, 4)) && query[4] != ' ') query.insert(4, " ");
  std::string result;
  if (OpenAnyAsteroidFile()) {
    CmoRecord rec;
    while (current_->NextRecord(rec)) {
      if (!ParseInteger(rec.designation)) break;
      if (Upper(TrimmedText(rec.name)) == query) {
        result = rec.designation;
        break;
      }
    }
  }
  CloseOrbitFiles();
  return result;
}

std::string OrbitFiles::FindNameByNumber(const std::string& numberText) {
  if (!IsNumberText(numberText, 0)) return "";
  std::string digits;
  for (char c : numberText)
    if (c != '(' && c != ')') digits += c;
  const auto wanted = ParseInteger(digits);
  std::string result;
  if (wanted && OpenAnyAsteroidFile()) {
    CmoRecord rec;
    while (current_->NextRecord(rec)) {
      const auto number = ParseInteger(rec.designation);
      if (!number) break;
      if (*number == *wanted) {
        result = rec.name;
        break;
      }
    }
  }
  CloseOrbitFiles();
  return result;
}

// ---- the convert commands ----

namespace {

void ConvertDatabase(platform::Platform& ui, const OptionsRecord& options, SaveFolderFn saveFolder,
                     OrbitDatabase database) {
  OrbitFiles files(OrbitFileContext{ui, options, std::move(saveFolder)});
  const bool lowell = database == OrbitDatabase::kLowell;
  if (lowell)
    files.OpenLowellObject();
  else
    files.OpenMpcObject();
  OrbFileObj* file = lowell ? static_cast<OrbFileObj*>(files.Lowell()) : static_cast<OrbFileObj*>(files.Mpc());
  if (file->SourcePresent()) {
    if (file->ConvertedValid())
      platform::Tell(
          ui, lowell ? "ASTORB.DAT already converted to ASTORB.CMO" : "MPCORB.DAT already converted to MPCORB.CMO",
          "No Conversion Necessary", Icon::Information);
    if (lowell)
      files.OpenLowell();
    else
      files.OpenMPC();
  } else {
    if (lowell)
      platform::Tell(ui,
                     "If you downloaded the packed version of the Lowell Orbital Elements Database\r\n"
                     "(ASTORB.DAT.GZ), you must extract the file ASTORB.DAT before running\r\n"
                     "this conversion. See \"Help on Lowell Download\" for more information.",
                     "ASTORB.DAT Not Found!", Icon::Error);
    else
      platform::Tell(ui,
                     "If you downloaded the packed version of the MPC Orbital Elements Database\r\n"
                     "(MPCORB.ZIP), you must extract the file MPCORB.DAT before running\r\n"
                     "this conversion. See \"Help on MPC Download\" for more information.",
                     "MPCORB.DAT not Found!", Icon::Error);
  }
  files.CloseOrbitFiles();
}

}  // namespace

void ConvertLowell(platform::Platform& ui, const OptionsRecord& options, SaveFolderFn saveFolder) {
  ConvertDatabase(ui, options, std::move(saveFolder), OrbitDatabase::kLowell);
}

void ConvertMPC(platform::Platform& ui, const OptionsRecord& options, SaveFolderFn saveFolder) {
  ConvertDatabase(ui, options, std::move(saveFolder), OrbitDatabase::kMpc);
}

}  // namespace skarvel
