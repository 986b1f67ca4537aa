// The "generate" and "session" commands: the demo night written from its
// sources, and a working directory prepared for a demo session.
#include <fitsio.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/observer_files.h"
#include "config/options.h"
#include "demo_plan.h"
#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "foundations/time_scales.h"
#include "gsc_writer.h"
#include "make_demo.h"
#include "orbits/ephemeris.h"
#include "orbits/orbit_files.h"
#include "orbits/orbit_records.h"
#include "shell/cli/cli_platform.h"
#include "shell/demo_night.h"
#include "sky.h"

namespace skarvel::demo {

namespace {

constexpr double kSecondsPerDay = 86400.0;
/// Sub-exposure positions of the moving asteroid (its trail is their sum).
constexpr int kTrailSteps = 9;
/// Pointing offsets of the four images from the nominal centre, arc seconds
/// (east, north): the mount drifts a little between exposures, as a real one does.
constexpr double kPointingOffsetArcsec[kImageCount][2] = {{0.0, 0.0}, {6.4, -3.4}, {-4.2, 5.2}, {2.8, 8.0}};
/// Margin around the image in which faint stars are placed, pixels.
constexpr double kFaintMarginPixels = 40.0;

/// `value` (hours or degrees) as "hh:mm:ss" with `decimals` decimals of the
/// seconds, with a leading sign when `sign` (for declinations): 9.38 h with 2
/// decimals gives "09:22:48.00", -8.41 degrees with 1 "-08:24:36.0".
std::string Sexagesimal(double value, bool sign, int decimals) {
  const bool negative = value < 0;
  const double scale = std::pow(10.0, decimals);
  const long long units = std::llround(std::fabs(value) * 3600.0 * scale);
  const long long whole = units / static_cast<long long>(3600 * scale);
  const long long minutes = (units / static_cast<long long>(60 * scale)) % 60;
  const double seconds = static_cast<double>(units % static_cast<long long>(60 * scale)) / scale;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%02lld:%02lld:%0*.*f", sign ? (negative ? "-" : "+") : "", whole, minutes,
                decimals + 3, decimals, seconds);
  return buf;
}

/// The lines of a text file without their line ends (LF or CR LF).
/// @throws std::runtime_error when the file cannot be opened.
std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

/// Writes a whole text file through a temporary file in its folder (created
/// when missing). @throws IOFailure when it cannot be written.
void WriteText(const std::string& path, const std::string& text) {
  fs::MakeDirectories(fs::DirectoryOf(path));
  fs::AtomicWriteFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

/// The Tycho-2 extract: a header line, then ra_hours,dec_deg,mag,pm_ra,pm_dec,source_id.
/// @throws std::invalid_argument for a field that is not a number,
///         std::runtime_error for a file without stars.
std::vector<CatalogSourceStar> ReadStarList(const std::string& path) {
  std::vector<CatalogSourceStar> stars;
  const auto lines = ReadLines(path);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    std::stringstream s(lines[i]);
    std::string f[6];
    for (auto& field : f) std::getline(s, field, ',');
    stars.push_back({std::stod(f[0]), std::stod(f[1]), std::stod(f[2]), f[5]});
  }
  if (stars.empty()) throw std::runtime_error("no star in " + path);
  return stars;
}

/// The MPCORB file of the demo: a short head ending in the dashed line the
/// reader skips to, then the chosen lines in the order of the source.
std::string MpcorbExcerpt(const std::vector<std::string>& source, std::string& targetLine) {
  std::string out =
      "Skarvel demo night: an excerpt of the Minor Planet Center's orbit file (MPCORB.DAT line format),\n"
      "elements at epoch 2019 July 2.0 TT (K1972). Data: Minor Planet Center.\n"
      "\n"
      "Des'n     H     G   Epoch     M        Peri.      Node       Incl.       e            n           a        "
      "Reference #Obs #Opp    Arc    rms  Perts   Computer\n"
      "--------------------------------------------------------------------------------------------------------------"
      "----------------------------------------------------------------------------------------\n";
  int found = 0;
  for (const auto& line : source) {
    if (line.size() < 7) continue;
    const std::string des = line.substr(0, 5);
    bool wanted = des == kTargetDesignation;
    for (const char* other : kOtherDesignations) wanted = wanted || des == other;
    if (!wanted) continue;
    out += line + "\n";
    ++found;
    if (des == kTargetDesignation) targetLine = line;
  }
  if (targetLine.empty() || found != 1 + static_cast<int>(std::size(kOtherDesignations)))
    throw std::runtime_error("the orbit source lacks a chosen designation");
  return out;
}

/// Writes one 16-bit image (kWidth x kHeight values, row 0 first) with its
/// header cards through cfitsio, into a temporary file of the same folder that
/// then replaces `path`. @throws std::runtime_error when cfitsio fails.
void WriteFitsImage(const std::string& path, const std::vector<std::uint16_t>& adu,
                    const std::vector<std::pair<std::string, std::string>>& strings,
                    const std::vector<std::pair<std::string, double>>& numbers) {
  fitsfile* f = nullptr;
  int status = 0;
  fs::MakeDirectories(fs::DirectoryOf(path));
  const std::string temp = path + ".partial";
  fs::RemoveFile(temp);
  fits_create_file(&f, temp.c_str(), &status);
  long naxes[2] = {kWidth, kHeight};
  fits_create_img(f, USHORT_IMG, 2, naxes, &status);  // BITPIX 16 with BZERO 32768
  for (const auto& [key, value] : strings)
    fits_update_key(f, TSTRING, key.c_str(), const_cast<char*>(value.c_str()), nullptr, &status);
  for (const auto& [key, value] : numbers) {
    double v = value;
    fits_update_key(f, TDOUBLE, key.c_str(), &v, nullptr, &status);
  }
  std::vector<unsigned short> values(adu.begin(), adu.end());
  fits_write_img(f, TUSHORT, 1, static_cast<LONGLONG>(values.size()), values.data(), &status);
  fits_close_file(f, &status);
  if (status != 0) {
    fs::RemoveFile(temp);
    throw std::runtime_error("cfitsio status " + std::to_string(status) + " writing " + path);
  }
  std::filesystem::rename(temp, path);
}

/// One image of the night: its file, times, projection and the asteroid in it.
struct ImagePlan {
  std::string file;
  double startDateTime = 0;  ///< date-time value of the exposure start (UT)
  long double midJD = 0;     ///< mid-exposure Julian date, UTC (the image's time)
  Projection projection;
  double targetRA = 0, targetDec = 0, targetMag = 0, targetX = 0, targetY = 0;
  std::vector<std::pair<double, double>> trail;  ///< sub-exposure positions (RA hours, Dec degrees)
};

/// The DATE-OBS text of a date-time value: "YYYY-MM-DDThh:mm:ss.sss".
std::string DateObsText(double dateTime) {
  const CalendarDate d = DecodeDate(dateTime);
  const TimeOfDayObj t = DecodeTimeOfDay(dateTime);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%06.3f", d.year, d.month, d.day, static_cast<int>(t.hour),
                static_cast<int>(t.minute), static_cast<double>(t.seconds));
  return buf;
}

/// The demo night: the orbit files (written into `orbitsDir` and converted by
/// the program's own converter), the target's elements read back from the
/// converted file, the image times, the asteroid's topocentric places, and
/// the projection of every image.
struct Night {
  OrbitElements target;
  std::vector<ImagePlan> images;
  Projection nominal;  ///< the pointing without drift: the middle of the track
};

Night PlanNight(const std::string& sourceDir, const std::string& orbitsDir) {
  Night night;
  const SiteRecord site = DemoSite();
  // 1. The orbit file and its conversion by the program's own converter.
  std::string targetLine;
  const std::string excerpt = MpcorbExcerpt(ReadLines(sourceDir + "NEA_excerpt.txt"), targetLine);
  WriteText(orbitsDir + "MPCORB.DAT", excerpt);
  ConvertOrbitFile(orbitsDir + "MPCORB.DAT", orbitsDir + "MPCORB.CMO", OrbitSourceFormat::kMpcorb, true,
                   MpcHeader::kSkipToDashes, ConversionCallbacks{});
  // The target's elements as the program reads them back from the converted file.
  OrbitElements& target = night.target;
  {
    CmoFileReader reader(orbitsDir + "MPCORB.CMO");
    CmoRecord rec;
    bool found = false;
    while (reader.Next(rec)) {
      if (rec.designation == std::to_string(std::stoi(kTargetDesignation))) {
        target = CmoToElements(rec);
        found = true;
        break;
      }
    }
    if (!found) throw std::runtime_error("the target is not in MPCORB.CMO");
  }

  // 2. The times and the asteroid's topocentric places (J2000).
  const double date = *EncodeDate(kYear, kMonth, kDay);
  std::vector<ImagePlan>& images = night.images;
  images.resize(kImageCount);
  for (int i = 0; i < kImageCount; ++i) {
    ImagePlan& im = images[static_cast<std::size_t>(i)];
    char name[32];
    std::snprintf(name, sizeof name, "%s%03d.FIT", kImagePrefix, i + 1);
    im.file = name;
    im.startDateTime = date + (kFirstHour * 60.0 + kFirstMinute + i * kCadenceMinutes) / 1440.0;
    const long double startJD = DateTimeToDays(im.startDateTime) + kJulianDateOffset;
    im.midJD = startJD + kExposureSeconds / 2 / kSecondsPerDay;
    // The image is timed in UTC; the ephemeris runs in TT.
    EphemerisParams p;
    p.start.SetJD(UtcToTT(im.midJD));
    p.points = 1;
    RecordList<EphemerisRecord> mid;
    if (!GenerateEphemeris(target, site, p, mid)) throw std::runtime_error("no ephemeris at an image time");
    im.targetRA = static_cast<double>(Line(mid, 0).raHours);
    im.targetDec = static_cast<double>(Line(mid, 0).decDeg);
    im.targetMag = static_cast<double>(Line(mid, 0).magnitude);
    p.start.SetJD(UtcToTT(startJD));
    p.points = kTrailSteps;
    p.stepDays = kExposureSeconds / (kTrailSteps - 1) / kSecondsPerDay;
    RecordList<EphemerisRecord> trail;
    if (!GenerateEphemeris(target, site, p, trail)) throw std::runtime_error("no ephemeris during an exposure");
    for (std::int32_t k = 0; k <= trail.LastIndex(); ++k)
      im.trail.emplace_back(static_cast<double>(Line(trail, k).raHours), static_cast<double>(Line(trail, k).decDeg));
  }
  // The nominal field centre: the middle of the asteroid's track.
  Projection& nominal = night.nominal;
  {
    double xi = 0, eta = 0;
    StandardCoordinates(Projection{images[0].targetRA, images[0].targetDec, 0, 0, 1, 0}, images.back().targetRA,
                        images.back().targetDec, xi, eta);
    StandardToSky(Projection{images[0].targetRA, images[0].targetDec, 0, 0, 1, 0}, xi / 2, eta / 2,
                  nominal.centreRAHours, nominal.centreDecDeg);
  }
  nominal.centreX = (kWidth - 1) / 2.0;
  nominal.centreY = (kHeight - 1) / 2.0;
  nominal.arcsecPerPixel = kArcsecPerPixel;
  nominal.rotationDeg = kRotationDeg;
  for (int i = 0; i < kImageCount; ++i) {
    ImagePlan& im = images[static_cast<std::size_t>(i)];
    im.projection = nominal;
    StandardToSky(nominal, kPointingOffsetArcsec[i][0], kPointingOffsetArcsec[i][1], im.projection.centreRAHours,
                  im.projection.centreDecDeg);
    SkyToPixel(im.projection, im.targetRA, im.targetDec, im.targetX, im.targetY);
  }

  return night;
}

}  // namespace

int Generate(const std::string& sourceDirIn, const std::string& outDirIn) {
  const std::string sourceDir = fs::WithTrailingSeparator(sourceDirIn);
  const std::string out = fs::WithTrailingSeparator(outDirIn);
  cli::CliPlatform ui(std::cerr);
  const SiteRecord site = DemoSite();
  const Night night = PlanNight(sourceDir, out + "orbits/");
  const OrbitElements& target = night.target;
  const std::vector<ImagePlan>& images = night.images;
  const Projection& nominal = night.nominal;

  // 3. The stars: the real Tycho-2 stars of the catalog, and fainter synthetic
  //    stars that only the images show.
  const std::vector<CatalogSourceStar> catalogStars = ReadStarList(sourceDir + "tycho2_field.csv");
  SplitMix rng(kSeed);
  std::vector<CatalogSourceStar> faint;
  {
    const double halfW = (kWidth / 2.0 + kFaintMarginPixels) * kArcsecPerPixel;
    const double halfH = (kHeight / 2.0 + kFaintMarginPixels) * kArcsecPerPixel;
    const double areaSqDeg = 4 * halfW * halfH / 3600.0 / 3600.0;
    const int count = static_cast<int>(std::lround(kFaintStarsPerSquareDegree * areaSqDeg));
    // Magnitudes from counts growing as 10^(0.3 m), from bright to faint limit.
    const double span = std::pow(10.0, 0.3 * (kFaintStarFaintMag - kFaintStarBrightMag)) - 1.0;
    for (int k = 0; k < count; ++k) {
      CatalogSourceStar s;
      const double xi = rng.Uniform(-halfW, halfW), eta = rng.Uniform(-halfH, halfH);
      StandardToSky(Projection{nominal.centreRAHours, nominal.centreDecDeg, 0, 0, 1, 0}, xi, eta, s.raHours, s.decDeg);
      s.mag = kFaintStarBrightMag + std::log10(1.0 + rng.Unit() * span) / 0.3;
      s.source = "SYN-" + std::to_string(k + 1);
      faint.push_back(s);
    }
  }

  // 4. The images.
  const double fwhmPixels = kSeeingFwhmArcsec / kArcsecPerPixel;
  auto electrons = [](double mag) {
    return kZeroPointElectronsPerSecond * std::pow(10.0, -0.4 * mag) * kExposureSeconds;
  };
  for (const ImagePlan& im : images) {
    SimulatedImage sim(kWidth, kHeight);
    const std::vector<CatalogSourceStar>* lists[] = {&catalogStars, &faint};
    for (const std::vector<CatalogSourceStar>* list : lists) {
      for (const auto& s : *list) {
        double x = 0, y = 0;
        if (!SkyToPixel(im.projection, s.raHours, s.decDeg, x, y)) continue;
        if (x < -30 || y < -30 || x > kWidth + 30 || y > kHeight + 30) continue;
        sim.AddMoffat(x, y, electrons(s.mag), fwhmPixels, kMoffatBeta);
      }
    }
    for (const auto& [ra, dec] : im.trail) {
      double x = 0, y = 0;
      SkyToPixel(im.projection, ra, dec, x, y);
      sim.AddMoffat(x, y, electrons(im.targetMag) / kTrailSteps, fwhmPixels, kMoffatBeta);
    }
    const auto adu =
        sim.Expose(kSkyElectronsPerSecond * kExposureSeconds, kReadNoiseElectrons, kGainElectronsPerAdu, kBiasAdu, rng);
    const CameraRecord camera = DemoCamera();
    WriteFitsImage(out + "images/" + im.file, adu,
                   {{"DATE-OBS", DateObsText(im.startDateTime)},
                    {"ORIGIN", "VORN Simulation"},
                    {"OBJECT", kObjectName},
                    {"RA", Sexagesimal(im.projection.centreRAHours, false, 2)},
                    {"DEC", Sexagesimal(im.projection.centreDecDeg, true, 1)},
                    {"FILTER", kFilterName},
                    {"OBSERVER", DemoUser().observers},
                    {"TELESCOP", site.telescope},
                    {"INSTRUME", camera.name}},
                   {{"EXPTIME", kExposureSeconds}, {"EQUINOX", 2000.0}});
  }

  // 5. The catalog of the field.
  const std::vector<WrittenStar> written = WriteGscCatalog(catalogStars, nominal.centreRAHours, nominal.centreDecDeg,
                                                           kRegionMarginDeg, kSeed + 1, out + "catalog", ui);

  // 6. The site and camera records, in the station and camera files.
  {
    SiteList sites;
    sites.InsertSorted(site);
    WriteSiteFile(out + "ASTSITES.DAT", sites);
    CameraList cameras;
    cameras.InsertSorted(DemoCamera());
    WriteCameraFile(out + "ASTCAMS.DAT", cameras);
  }

  // 7. The options of the demo, with folders relative to the demo folder
  //    (the session command makes them absolute).
  {
    StorageEnvironment env;
    env.programDir = env.currentDir = out;
    env.perUserStorage = false;
    env.changeCurrentDirectory = false;
    env.mountsFile = "/dev/null";
    OptsObj opts("ASTROPTS.INI", "1.330", env, ui);
    opts.SetDefaults();
    OptionsRecord& r = opts.Record();
    r.imagePath = "images/";
    r.gscPath1 = "catalog/gsc_vorn/";
    r.gscPath2 = "catalog/gsc_vorn/";
    r.mpcOrbPath = "orbits/";
    r.vornFormatGSC = true;
    r.primaryCatalog = kPrimaryGSC;
    r.supplCatalog = 0;
    r.catalogLocation = 0;
    r.imageFileType = kImageFITS;
    r.headerTimeType = 0;
    r.userRecord = DemoUser();
    r.cameraRecord = DemoCamera();
    r.siteRecord = site;
    r.fieldSize = 26.0f;
    r.magLimit = 16.0f;
    // The walkthrough's figures were taken with the box's thresholded centroid.
    r.centroidMethod = kCentroidClassic;
    fs::RemoveFile(out + "ASTROPTS.INI");
    if (!opts.Write(out)) throw std::runtime_error("the options file could not be written");
    fs::RemoveFile(out + "ASTROPTS.BAK");
  }

  // 8. The truth.
  {
    std::string t =
        "image,file,date_obs,exposure_s,mid_jd,target_ra_hours,target_dec_deg,target_mag,target_x,target_y,"
        "centre_ra_hours,centre_dec_deg,centre_x,centre_y,arcsec_per_pixel,rotation_deg\n";
    for (std::size_t i = 0; i < images.size(); ++i) {
      const ImagePlan& im = images[i];
      const Projection& p = im.projection;
      char line[512];
      std::snprintf(line, sizeof line, "%zu,%s,%s,%.1f,%.8Lf,%.9f,%.8f,%.2f,%.3f,%.3f,%.9f,%.8f,%.1f,%.1f,%.6f,%.3f\n",
                    i + 1, im.file.c_str(), DateObsText(im.startDateTime).c_str(), kExposureSeconds, im.midJD,
                    im.targetRA, im.targetDec, im.targetMag, im.targetX, im.targetY, p.centreRAHours, p.centreDecDeg,
                    p.centreX, p.centreY, p.arcsecPerPixel, p.rotationDeg);
      t += line;
    }
    WriteText(out + "truth.csv", t);
    std::string c = "region,gsc_number,entries,ra_hours,dec_deg,mag,source_id\n";
    for (const WrittenStar& w : written) {
      char line[256];
      std::snprintf(line, sizeof line, "%d,%d,%d,%.8f,%.7f,%.3f,%s\n", w.region, w.number, w.entries, w.star.raHours,
                    w.star.decDeg, w.star.mag, w.star.source.c_str());
      c += line;
    }
    WriteText(out + "catalog/gsc_stars.csv", c);
    std::string f = "ra_hours,dec_deg,mag,source_id\n";
    for (const auto& s : faint) {
      char line[128];
      std::snprintf(line, sizeof line, "%.8f,%.7f,%.3f,%s\n", s.raHours, s.decDeg, s.mag, s.source.c_str());
      f += line;
    }
    WriteText(out + "images/faint_stars.csv", f);
  }
  std::fprintf(
      stderr,
      "make-demo: %s V %.2f, track %.1f px; field centre RA %.7f h Dec %+.7f deg; %zu catalog stars, %zu faint "
      "stars\n",
      target.name.c_str(), images[0].targetMag,
      std::hypot(images.back().targetX - images[0].targetX, images.back().targetY - images[0].targetY),
      nominal.centreRAHours, nominal.centreDecDeg, catalogStars.size(), faint.size());
  for (const ImagePlan& im : images) {
    RecordList<EphemerisRecord> at;
    EphemerisParams p;
    p.start.SetJD(UtcToTT(im.midJD));
    p.points = 1;
    GenerateEphemeris(target, site, p, at);
    std::fprintf(stderr, "  %s %s  altitude %.1f deg  x %.1f y %.1f\n", im.file.c_str(),
                 DateObsText(im.startDateTime).c_str(), static_cast<double>(Line(at, 0).altitudeDeg), im.targetX,
                 im.targetY);
  }
  return ui.Messages() == 0 ? 0 : 1;
}

int FieldCentre(const std::string& sourceDir) {
  const std::string scratch =
      (std::filesystem::temp_directory_path() / ("make-demo-" + std::to_string(::getpid()))).string() + "/";
  const Night night = PlanNight(fs::WithTrailingSeparator(sourceDir), scratch);
  std::filesystem::remove_all(scratch);
  std::printf("%.7f %.7f\n", night.nominal.centreRAHours, night.nominal.centreDecDeg);
  return 0;
}

int InstallSession(const std::string& demoDir, const std::string& workDir) {
  cli::CliPlatform ui(std::cerr);
  PrepareDemoSession(demoDir, workDir, ui);
  std::fprintf(stderr, "make-demo: session prepared in %s\n",
               fs::WithTrailingSeparator(std::filesystem::absolute(workDir).lexically_normal().string()).c_str());
  return ui.Messages() == 0 ? 0 : 1;
}

}  // namespace skarvel::demo
