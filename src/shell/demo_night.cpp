#include "shell/demo_night.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "config/options.h"
#include "foundations/file_system.h"
#include "orbits/orbit_files.h"

namespace skarvel {

std::string DemoWorkDirectory(const char* xdgDataHome, const char* home) {
  std::string base;
  if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
    base = xdgDataHome;
  } else if (home != nullptr && home[0] != '\0') {
    base = fs::WithTrailingSeparator(home) + ".local/share";
  }
  return base.empty() ? std::string() : fs::WithTrailingSeparator(base) + "skarvel/demo-night/";
}

void PrepareDemoSession(const std::string& demoDirIn, const std::string& workDirIn, platform::Platform& ui) {
  // The options hold absolute folders, whatever directory the program starts in.
  const std::string demo = fs::WithTrailingSeparator(std::filesystem::absolute(demoDirIn).lexically_normal().string());
  const std::string work = fs::WithTrailingSeparator(std::filesystem::absolute(workDirIn).lexically_normal().string());
  if (!fs::MakeDirectories(work + "orbits/")) throw std::runtime_error("cannot create " + work);
  StorageEnvironment env;
  env.programDir = env.currentDir = work;
  env.perUserStorage = false;
  env.changeCurrentDirectory = false;
  env.mountsFile = "/dev/null";
  OptsObj opts("ASTROPTS.INI", "1.330", env, ui);
  opts.SetDefaults();
  if (!opts.Read(demo + "ASTROPTS.INI")) throw std::runtime_error("the demo options cannot be read: " + demo + "ASTROPTS.INI");
  OptionsRecord& r = opts.Record();
  auto absolute = [&](std::string& path) {
    if (!path.empty() && path[0] != '/') path = demo + path;
  };
  // The images are copied too: the program offers to save the solution and
  // report texts in the folder of the last image loaded, and nothing it
  // writes may land in the demo folder.
  if (!fs::MakeDirectories(work + "images/")) throw std::runtime_error("cannot create " + work + "images/");
  std::error_code scan;
  for (const auto& entry : std::filesystem::directory_iterator(demo + "images/", scan))
    if (entry.path().extension() == ".FIT")
      fs::CopyFileBytes(entry.path().string(), work + "images/" + entry.path().filename().string());
  if (scan) throw std::runtime_error("cannot read " + demo + "images/");
  r.imagePath = work + "images/";
  absolute(r.gscPath1);
  absolute(r.gscPath2);
  // The orbit files are copied, so that a conversion the program runs writes
  // into the working directory and not into the demo folder.
  r.mpcOrbPath = work + "orbits/";
  for (const char* name : {"orbits/MPCORB.DAT", "orbits/MPCORB.CMO"}) fs::CopyFileBytes(demo + name, work + name);
  CopyFileTime(work + "orbits/MPCORB.DAT", work + "orbits/MPCORB.CMO");
  for (const char* name : {"ASTSITES.DAT", "ASTCAMS.DAT"}) fs::CopyFileBytes(demo + name, work + name);
  if (!opts.Write(work)) throw std::runtime_error("the session options cannot be written: " + work + "ASTROPTS.INI");
}

}  // namespace skarvel
