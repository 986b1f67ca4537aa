// The user, camera and site record files and the telescope-codes file (the
// first byte chooses), then what is done with a record read: its merge into a
// list and, for the codes file, the lookup of a site's telescope lines.
#include <cstdint>

#include "config/observer_files.h"
#include "foundations/io_error.h"
#include "support/fuzz_input.h"
#include "support/scripted_platform.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int kind = data[0] % 4;
  const std::string path = fuzz::WriteInput("RECORDS.DAT", data + 1, size - 1);
  testing::ScriptedPlatform ui;
  try {
    if (kind == 0) {
      (void)ReadUserFile(path);
    } else if (kind == 1) {
      CameraList list = ReadCameraFile(path);
      if (list.Size() > 0) MergeRecord(ui, list, *list.GetAt(0));
      (void)LoadCameraList(ui, path);
    } else if (kind == 2) {
      SiteList list = ReadSiteFile(path);
      if (list.Size() > 0) MergeRecord(ui, list, *list.GetAt(0));
      (void)LoadSiteList(ui, path);
    } else {
      for (const char* code : {"695", "0695", "A12", "1012"}) {
        const ScopeLookup found = FindScopeLines(path, code);
        for (const std::string& line : found.lines) (void)ParseScopeLine(line);
      }
    }
  } catch (const IOFailure&) {
  }
  return 0;
}
