// The frame series window's logic: the chosen files read as a series, solved
// against the catalog stars of the first frame's field, listed with their
// plate state, and stacked along a typed motion into a FITS file that goes
// into an image slot.
//
// Usage (the window and tests alike):
//   TrackSession s(ui, scratchDir, headerTimeType);
//   s.ChooseFiles(imageDir);               // the open dialog, then the files read
//   s.Solve(stars, arcsecPerPixel);        // Auto-Match of every frame
//   s.FrameLines();                        // "frame1.fit  solved" / "frame2.fit  left out: ..."
//   auto motion = s.ParseMotion("2", "60");
//   auto file = s.StackToFile(*motion, StackCombine::kMean);  // the stack's FITS file
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "astrometry/frame_series.h"
#include "astrometry/known_objects.h"
#include "astrometry/track_search.h"
#include "astrometry/track_stack.h"
#include "images/fits_file.h"
#include "platform/platform.h"

namespace skarvel {

/// The series input of a loaded FITS frame: its mid-exposure time (the
/// header's observation time as loaded), exposure and pointing (the WCS's
/// centre when the header has one, else its RA and DEC).
SeriesFrameInput SeriesInputOf(FITSFileObj& image, const std::string& name);

/// The known objects of a track search's candidates (nothing for an unknown
/// one), through the orbit-database search at the reference time over the
/// reference frame's field: a candidate within search.matchArcsec of an
/// object's prediction is that object. Nothing when the search failed (the
/// person told).
std::optional<std::vector<std::optional<KnownObject>>> NameTrackCandidates(platform::Platform& ui,
                                                                           const FrameSeries& series,
                                                                           const TrackSearchResult& result,
                                                                           const KnownSearch& search);

/// The cells of a candidate's row: rate ("/min, 2 decimals), PA (deg, 1
/// decimal), SNR (1 decimal), x and y (1 decimal), RA ("HH MM SS.ss"), Dec
/// ("+DD MM SS.s") and the known object ("(433) Eros", a designation, or "").
std::vector<std::string> TrackCandidateCells(const TrackCandidate& c, const std::optional<KnownObject>& known);
/// The column headings of those cells.
std::vector<std::string> TrackCandidateHeadings();

/// A grey thumbnail of a stack around (x, y): (2 half + 1)^2 bytes, row by
/// row, 0 at the 10th percentile of the patch and 255 at its brightest;
/// places off the image are 0.
std::vector<std::uint8_t> StackThumbnail(const CalibFrame& stack, double x, double y, int half);

/// The caption of the frame series window and of its messages.
inline constexpr const char* kTrackSeriesCaption = "Track and Stack";

class TrackSession {
 public:
  /// Frames are read through `ui` (its messages), their ".HDR" notes go to
  /// `scratchDir` (with a trailing separator), header times meaning
  /// `headerTimeType` (0 start, 1 midpoint, 2 end of the exposure).
  /// `calibrate`, when given, is run on every frame read (calibration on load).
  TrackSession(platform::Platform& ui, std::string scratchDir, std::uint8_t headerTimeType,
               std::function<void(GraphicsFileObj&)> calibrate = {});

  /// The open dialog for up to kMaxSeriesFrames files starting in
  /// `directory`, then LoadFiles. False when cancelled or refused.
  bool ChooseFiles(const std::string& directory);
  /// Reads the files as a new series (unsolved). More than kMaxSeriesFrames
  /// files, fewer than one, or a file that cannot be read is refused (the
  /// person told) and the series before stays as it was.
  bool LoadFiles(const std::vector<std::string>& files);
  std::size_t FrameCount() const { return inputs_.size(); }
  /// The first frame's input (its pointing and time read the field); null without frames.
  const SeriesFrameInput* First() const { return inputs_.empty() ? nullptr : &inputs_.front(); }

  /// Solves every frame against `stars` (expected scale, 0 unknown). False,
  /// the person told, when the series cannot be solved or no frame matched.
  bool Solve(StarList& stars, long double arcsecPerPixel, const SeriesProgress& progress = {});
  bool Solved() const { return solved_; }
  const FrameSeries& Series() const { return series_; }
  /// One line a frame: its file name and "solved, N stars" or
  /// "not solved" or "left out: <why>".
  std::vector<std::string> FrameLines() const;

  /// A typed motion: the rate in arc seconds a minute (0 to 36000) and the
  /// position angle in degrees (-360 to 720, taken modulo 360). Nothing, the
  /// person told, for other text.
  std::optional<SkyMotion> ParseMotion(const std::string& rate, const std::string& pa) const;
  /// The stack along `motion` written to `<scratchDir>STACK<n>.FIT` (n counting
  /// the stacks of the session): its path, or nothing (the person told) when
  /// the series is not solved or the stack or its file failed. `Last()` holds
  /// the stack made.
  std::optional<std::string> StackToFile(const SkyMotion& motion, StackCombine combine);
  const StackResult& Last() const { return last_; }

  /// The track search of the solved series in a progress window ("Track
  /// Search", the motions searched with the time left, a Stop button), the
  /// candidates named when `known` is given. False, the person told, when
  /// the series is not solved or the search failed or was stopped (the
  /// candidates before stay).
  bool Search(const TrackSearchSettings& settings, const std::optional<KnownSearch>& known);
  const TrackSearchResult& SearchResult() const { return search_; }
  const std::vector<std::optional<KnownObject>>& Known() const { return known_; }
  /// The stack of candidate i along its motion (for its thumbnail): made once and kept.
  const StackResult& CandidateStack(std::size_t i);

 private:
  void Tell(const std::string& text) const;
  void ForgetSearch();
  platform::Platform& ui_;
  std::string scratchDir_;
  std::uint8_t headerTimeType_;
  std::function<void(GraphicsFileObj&)> calibrate_;
  std::deque<FITSFileObj> files_;
  std::vector<SeriesFrameInput> inputs_;
  FrameSeries series_;
  bool solved_ = false;
  int stacks_ = 0;
  StackResult last_;
  TrackSearchResult search_;
  std::vector<std::optional<KnownObject>> known_;
  std::vector<std::optional<StackResult>> candidateStacks_;
};

}  // namespace skarvel
