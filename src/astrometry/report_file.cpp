#include "astrometry/report_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>

#include "foundations/file_system.h"
#include "foundations/io_error.h"

namespace skarvel {

using platform::Icon;

namespace {


void WriteFlags(ByteWriter& out, const CatalogsUsed& c) {
  for (bool f : {c.noPrimary, c.gsc, c.bss, c.usnoA1, c.usnoA2, c.sa1, c.sa2, c.ucac2, c.ucac3, c.usnoB1, c.nomad})
    out.Bool(f);
}

void ReadFlags(ByteReader& in, CatalogsUsed& c, std::size_t count) {
  bool* flags[] = {&c.noPrimary, &c.gsc, &c.bss, &c.usnoA1, &c.usnoA2, &c.sa1, &c.sa2, &c.ucac2, &c.ucac3, &c.usnoB1,
                   &c.nomad};
  for (std::size_t i = 0; i < count; ++i) *flags[i] = in.Bool();
}

// Adds the records read from a file to the report in time order, each after
// those of the same time already there: the report is kept sorted, so a stable
// sort of the report followed by the new records in file order gives exactly
// what inserting them one by one would, in n log n time whatever their order.
void AddInTimeOrder(AstromObsObj& report, std::vector<ObservationRecord>& read) {
  if (read.empty()) return;
  auto& list = report.Observations();
  const auto firstNew = static_cast<std::ptrdiff_t>(list.size());
  list.insert(list.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
  read.clear();
  const auto byTime = [](const ObservationRecord& a, const ObservationRecord& b) {
    return a.params.observationTime < b.params.observationTime;
  };
  std::stable_sort(list.begin() + firstNew, list.end(), byTime);
  std::inplace_merge(list.begin(), list.begin() + firstNew, list.end(), byTime);
}

// A record of a file before 1.0, in the current form.
ObservationRecord ReadOldRecord(ByteReader& in) {
  ObservationRecord r;
  r.params.objectName = in.Text(68);
  r.params.observer = in.Text(68);
  std::string designation = in.Text(7);
  std::string number = in.Text(5);
  r.params.observationTime = in.F64();
  const std::uint8_t discovery = in.U8();
  r.params.objectType = in.U8();
  r.target = ReadReferenceStar(in);
  if (discovery != 0) r.params.note = kNoteDiscovery;
  if (designation.size() == 7) designation.insert(4, "00");
  if (number.size() == 5 && std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
    number = "00" + number;
  r.params.designation = designation.substr(0, 9);
  r.params.number = number.substr(0, 7);
  return r;
}

}  // namespace

std::vector<std::uint8_t> SerializeReport(const AstromObsObj& report) {
  ByteWriter out;
  WriteUserRecord(out, report.user);
  WriteCameraRecord(out, report.camera);
  WriteSiteRecord(out, report.site);
  WriteFlags(out, report.catalogs);
  for (const auto& r : report.Observations()) WriteObservationRecord(out, r);
  return out.Buffer();
}

bool WriteReportFile(const std::string& path, const AstromObsObj& report, platform::Platform& ui) {
  std::unique_ptr<fs::AtomicFile> file;
  try {
    if (fs::DirectoryExists(path)) throw IOFailure(io_code::kAccessDenied);
    file = std::make_unique<fs::AtomicFile>(path);
  } catch (const IOFailure& failure) {
    platform::Tell(ui,
                   "Unable to Open Report Data File for Output!\r\n\r\nFile Name: " + path + "\r\n" + "IOResult = " +
                       std::to_string(failure.Code()),
                   "Data File Error!", Icon::Error);
    return false;
  }
  file->Write(SerializeReport(report));
  file->Commit();
  return true;
}

ReportReadResult ReadReportFile(const std::string& path, ReportVersion version, bool loadParameters, bool merge,
                                bool oldReportFormat, AstromObsObj& report, platform::Platform& ui) {
  const std::string resolved = fs::Resolve(path);
  struct stat st {};
  int openError = 0;
  if (::stat(resolved.c_str(), &st) != 0) openError = IOCodeFromErrno(errno);
  else if (!S_ISREG(st.st_mode)) openError = io_code::kAccessDenied;
  std::ifstream in;
  if (openError == 0) {
    in.open(resolved, std::ios::binary);
    if (!in) openError = IOCodeFromErrno(errno == 0 ? EACCES : errno);
  }
  if (openError != 0) {
    platform::Tell(ui,
                   "Unable to Open Report Data File!\r\n\r\nFile Name: " + path + "\r\n" + "IOResult = " +
                       std::to_string(openError),
                   "Data File Error!", Icon::Error);
    return ReportReadResult::kOpenFailed;
  }
  ByteReader reader(in);
  const bool old = version == ReportVersion::kBefore1;
  // Records read so far; a file that breaks off keeps them, as a load always has.
  std::vector<ObservationRecord> read;
  try {
    if (old) {
      if (loadParameters) {
        UserRecord u;
        for (std::string* t : {&u.contactName, &u.institution, &u.street, &u.cityStateZip, &u.country, &u.email})
          *t = reader.Text(40);
        u.observers = reader.Text(245);
        u.measurers = reader.Text(245);
        CameraRecord c;
        c.name = reader.Text(40);
        c.pixelWidthUm = reader.F32();
        c.pixelHeightUm = reader.F32();
        c.imageWidth = reader.I32();
        c.imageHeight = reader.I32();
        c.apertureMm = reader.F32();
        c.focalLengthMm = reader.F32();
        c.inverted = reader.Bool();
        c.filter = reader.U8();
        c.timingErrorMs = 0;
        SiteRecord s;
        s.name = reader.Text(40);
        s.code = reader.Text(3);
        s.telescope = reader.Text(40);
        for (std::string* t : {&s.lonDegrees, &s.lonMinutes, &s.lonSeconds, &s.latDegrees, &s.latMinutes, &s.latSeconds})
          *t = reader.Text(10);
        s.north = reader.Bool();
        s.west = reader.Bool();
        s.longitudeDeg = reader.F32();
        s.latitudeDeg = reader.F32();
        s.altitudeM = reader.F32();
        s.timeZoneHours = reader.F32();
        s.telescopeId = ' ';
        report.SetRecords(&u, &c, false, &s);
      } else {
        reader.Skip(975);
      }
      ReadFlags(reader, report.catalogs, 9);
      if (!merge) report.Observations().clear();
      while (!reader.AtEnd()) read.push_back(ReadOldRecord(reader));
      AddInTimeOrder(report, read);
      if (loadParameters && !oldReportFormat)
        platform::Tell(ui, "Verify User, Camera and Site information before generating report.",
                       "Old/Incomplete Data Loaded", Icon::Information);
    } else {
      if (loadParameters) {
        const UserRecord u = ReadUserRecord(reader);
        const CameraRecord c = ReadCameraRecord(reader);
        const SiteRecord s = ReadSiteRecord(reader);
        report.SetRecords(&u, &c, false, &s);
      } else {
        reader.Skip(999);
      }
      ReadFlags(reader, report.catalogs, version == ReportVersion::kCurrent ? 11 : 10);
      if (!merge) report.Observations().clear();
      while (!reader.AtEnd()) read.push_back(ReadObservationRecord(reader));
      AddInTimeOrder(report, read);
    }
  } catch (const IOFailure&) {
    AddInTimeOrder(report, read);
    platform::Tell(ui,
                   old ? "An error occurred while attempting to load the report data file!\r\nThe file may be from "
                         "this version.  Try \"Load Report Data\".\r\n\r\nYou MUST clear the report data before "
                         "attempting another load."
                       : "An error occurred while attempting to load the report data file!\r\nThe file may from a "
                         "previous version.  Try \"Load Old Report Data\".\r\n\r\nYou MUST clear the report data "
                         "before attempting another load.",
                   "Error Loading File!", Icon::Error);
    return ReportReadResult::kReadFailed;
  }
  return ReportReadResult::kLoaded;
}

}  // namespace skarvel
