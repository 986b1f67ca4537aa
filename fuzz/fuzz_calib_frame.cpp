// A calibration frame (the first byte chooses what it becomes: bit 0-1 a
// bias, dark or flat master made of it twice, or a light; bit 2 the mean in
// place of the median), then what calibration does with it: the master
// written and read again, the master set prepared and the frame calibrated by
// it. A first byte 0xFF makes the rest the file of remembered masters
// ("CALIBSET.DAT"), whose text read, written and read again must not change.
#include <cstdint>
#include <vector>

#include "images/calibration.h"
#include "images/calibration_choice.h"
#include "support/fuzz_input.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::vector<std::uint8_t> bytes(data + 1, data + size);
  if (data[0] == 0xFF) {
    const auto choices = ParseCalibrationChoices(std::string(bytes.begin(), bytes.end()));
    if (!fuzz::kReaderOnly && ParseCalibrationChoices(CalibrationChoicesText(choices)) != choices) __builtin_trap();
    return 0;
  }
  try {
    CalibFrame frame = ReadCalibFrameBytes(bytes, "INPUT.FIT");
    if (fuzz::kReaderOnly || frame.pixels.size() > (std::size_t{1} << 20)) return 0;
    const int mode = data[0] & 3;
    const CombineMethod method = (data[0] & 4) != 0 ? CombineMethod::Mean : CombineMethod::Median;
    MasterSet set;
    if (mode == 3) {
      set.flat = frame;
      set.flat->facts.master = FrameKind::Flat;
    } else {
      const FrameKind kind = mode == 0 ? FrameKind::Bias : mode == 1 ? FrameKind::Dark : FrameKind::Flat;
      std::vector<CalibFrame> frames = {frame, frame};
      const CalibFrame master = BuildMaster(kind, frames, method);
      CalibFrame back = ReadCalibFrameBytes(FloatFitsBytes(master), "MASTER.FIT");
      (kind == FrameKind::Bias ? set.bias : kind == FrameKind::Dark ? set.dark : set.flat) = std::move(back);
    }
    set.Prepare();
    CalibrationSummary summary;
    (void)CalibrateFrame(frame, set, &summary);
  } catch (const CalibrationFailure&) {
  }
  return 0;
}
