#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>

#include "foundations/angles.h"
#include "foundations/date_dialog.h"
#include "foundations/date_time.h"
#include "foundations/time_scales.h"
#include "shell/cli/flag_parser.h"
#include "shell/cli/foundation_commands.h"

namespace skarvel::cli {

namespace {

constexpr const char* kTimeHelp =
    "Usage: skarvel-cli time --jd JD [--lon-east DEG]\n"
    "       skarvel-cli time --date YYYY/MM/DD [--time HH:MM:SS] [--lon-east DEG]\n\n"
    "Converts between the calendar date and time and the Julian date, read by the\n"
    "rules of the date dialogs (a year of one or two digits is in the current\n"
    "century; \"PM\" after the seconds adds 12 hours). The instant is used as given\n"
    "for every key but the last two, which take it as UTC: tt_minus_utc_s is\n"
    "32.184 s + TAI - UTC (the leap seconds since 1972) or, before 1972, Delta T\n"
    "(Espenak & Meeus polynomials, UT1 taken as UTC), and jd_tt the instant in TT,\n"
    "as an image time meets an ephemeris.\n"
    "--lon-east gives the local mean sidereal time at that longitude (degrees east,\n"
    "-180..180 or 0..360).\n\n"
    "JSON keys: jd, jd_text (5 decimals), date (YYYY/MM/DD), time (HH:MM:SS.sss),\n"
    "short_date (MM/DD/YYYY), long_date, lst_hours (with --lon-east),\n"
    "tt_minus_utc_s, jd_tt.\n"
    "Exit status 1 with the dialog's message and caption on stderr for a date,\n"
    "time or Julian date that cannot be read.\n";

void PrintMessage(const DialogMessage& m, std::ostream& err) {
  err << m.caption << " " << m.text << "\n";
}

int RunTime(const Arguments& args, std::ostream& out, std::ostream& err) {
  const auto flags = Flags::Parse(args, {"jd", "date", "time", "lon-east"}, "time", err);
  if (!flags) return kExitUsage;
  if (flags->Has("jd") == flags->Has("date") || (flags->Has("time") && !flags->Has("date"))) {
    err << "skarvel-cli time: give either --jd or --date (with an optional --time)\n";
    return kExitUsage;
  }
  std::optional<long double> longitudeDeg;
  if (flags->Has("lon-east")) {
    longitudeDeg = flags->Number("lon-east", -180, 360, err);
    if (!longitudeDeg) return kExitUsage;
  }
  long double jd = 0;
  if (flags->Has("jd")) {
    const JulianToCalendar r = ConvertJulianDateField(flags->Text("jd"));
    if (r.status != FieldConversion::kConverted) {
      PrintMessage(r.error, err);
      return kExitFailed;
    }
    jd = r.jd;
  } else {
    DateTimeObj now;
    now.SetNow();
    const CalendarToJulian r =
        ConvertCalendarFields(flags->Text("date"), flags->Has("time") ? flags->Text("time") : "", now.year);
    if (r.status != FieldConversion::kConverted) {
      PrintMessage(r.error, err);
      return kExitFailed;
    }
    jd = r.jd;
  }
  DateTimeObj t;
  t.SetJD(jd);
  const auto ms = static_cast<long>(std::lround(static_cast<double>(t.utTime.seconds) * 1000.0));
  char timeText[32];
  std::snprintf(timeText, sizeof timeText, "%02d:%02d:%02ld.%03ld", t.utTime.hour, t.utTime.minute, ms / 1000,
                ms % 1000);
  nlohmann::ordered_json j;
  j["jd"] = static_cast<double>(t.GetJD());
  j["jd_text"] = t.JDText(5);
  j["date"] = DateFieldText(t.civil);
  j["time"] = timeText;
  j["short_date"] = t.ShortDateText();
  j["long_date"] = t.LongDateText();
  if (longitudeDeg) j["lst_hours"] = static_cast<double>(t.LocalSiderealTime(*longitudeDeg * kRadiansPerDegree));
  j["tt_minus_utc_s"] = static_cast<double>(TTMinusUTCSeconds(t.GetJD()));
  j["jd_tt"] = static_cast<double>(UtcToTT(t.GetJD()));
  out << j.dump(2) << "\n";
  return kExitOk;
}

}  // namespace

Subcommand TimeCommand() {
  return {"time", "calendar date and time <-> Julian date, local sidereal time", kTimeHelp, RunTime};
}

}  // namespace skarvel::cli
