#include "astrometry/obs_params_form.h"

#include <algorithm>
#include <cctype>

#include "foundations/date_dialog.h"
#include "foundations/date_time.h"
#include "foundations/strings.h"
#include "orbits/designation.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

std::string TrimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string TrimLeft(std::string s) {
  const std::size_t i = s.find_first_not_of(' ');
  return i == std::string::npos ? std::string() : s.substr(i);
}

std::string Trim(std::string s) {
  return TrimLeft(TrimRight(std::move(s)));
}

std::string StripLeadingZeros(std::string s) {
  s = Trim(std::move(s));
  const std::size_t i = s.find_first_not_of('0');
  return i == std::string::npos ? std::string() : s.substr(i);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Cut(const std::string& s, std::size_t n) {
  return s.size() > n ? s.substr(0, n) : s;
}

}  // namespace

ObsParamsLogic::ObsParamsLogic(ObsParams& record, std::string mode, bool checkOnOk, ObsParamsSettings settings,
                               VerifiedIds& verified, ObjectLookup& lookup, platform::Platform& ui)
    : record_(record),
      mode_(std::move(mode)),
      checkOnOk_(checkOnOk),
      settings_(settings),
      verified_(verified),
      lookup_(lookup),
      ui_(ui) {
  fields.name = record.objectName;
  fields.designation = record.designation;
  fields.number = record.number;
  fields.observer = record.observer;
  fields.date = DateFieldText(record.observationTime);
  fields.time = TimeFieldTextMs(record.observationTime);
  shownDate_ = fields.date;
  shownTime_ = fields.time;
  fields.discovery = record.note == kNoteDiscovery;
  fields.discoveryEnabled = true;
  fields.idFieldsEnabled = true;
  fields.objectType = record.objectType;
}

void ObsParamsLogic::Opened() {
  if (settings_.fitsImages && settings_.autoVerifyID) VerifyObjectID(IdField::Name);
}

void ObsParamsLogic::RestoreRemembered() {
  fields.name = verified_.name;
  fields.number = verified_.number;
  fields.designation = verified_.designation;
}

bool ObsParamsLogic::VerifyNumber() {
  if (fields.number == verified_.number) {
    RestoreRemembered();
    return true;
  }
  std::string number = fields.number;
  const char last = number.empty() ? '\0' : number.back();
  if (last == 'D' || last == 'P' || last == 'd' || last == 'p') {
    number.back() = static_cast<char>(std::toupper(static_cast<unsigned char>(last)));
    fields.number = number;
    fields.objectType = kCometKind;
  }
  if (fields.objectType == kMinorPlanetKind) {
    const std::string name = lookup_.FindNameByNumber(Trim(number));
    if (!name.empty()) {
      fields.name = name;
      fields.designation.clear();
      fields.number = number;
    }
  }
  return true;
}

bool ObsParamsLogic::VerifyDesignation() {
  const std::string designation = fields.designation;
  if (designation.size() < 7) return false;
  const bool sevenChar = settings_.oldReportFormat;
  const PackedCheck check = ValidatePacked(designation, sevenChar);
  if (!check.valid) return true;
  fields.objectType = static_cast<std::uint8_t>(check.kind);
  if (designation == verified_.designation) {
    RestoreRemembered();
    return true;
  }
  fields.name = UnpackDesignation(designation, check.kind).readable;
  if (check.kind == kMinorPlanetKind) {
    const std::string found = lookup_.FindDesignationByName(fields.name);
    if (found.empty()) {
      fields.number.clear();
    } else {
      fields.number = StripLeadingZeros(found);
      fields.designation.clear();
    }
  }
  return true;
}

bool ObsParamsLogic::NameNumberCheck(const std::string& typed) {
  std::string text = TrimLeft(typed);
  for (char& c : text)
    if (c == '_') c = ' ';
  if (text.empty() || text[0] != '(') return false;
  const std::size_t close = text.find(')');
  if (close == std::string::npos) return false;
  const std::string n = text.substr(1, close - 1);
  if (!ParseInteger(n)) return false;
  const std::string rest = Trim(text.substr(close + 1));
  const std::string nameFound = lookup_.FindNameByNumber(Trim(n));
  const std::string designationFound = lookup_.FindDesignationByName(rest);
  const bool namesAgree = !nameFound.empty() && Lower(nameFound) == Lower(rest);
  const bool numbersAgree = !designationFound.empty() && StripLeadingZeros(designationFound) == StripLeadingZeros(n);
  if (namesAgree && numbersAgree) {
    fields.name = rest;
    fields.number = Trim(n);
    fields.designation.clear();
    return true;
  }
  std::string message = "Minor Planet Name & Number do not agree!\r\n\r\n(" + n + ") is " + nameFound + "\r\n";
  message += designationFound.empty() ? rest + " does not exist!" : rest + " is (" + designationFound + ")";
  platform::Tell(ui_, message, "Name/Number Missmatch!", Icon::Exclamation);
  return true;
}

void ObsParamsLogic::VerifyName() {
  std::string name = TrimRight(fields.name);
  fields.name = name;
  if (name == verified_.name) {
    RestoreRemembered();
    return;
  }
  verified_.name = name;
  const bool sevenChar = settings_.oldReportFormat;
  if (const PackedCheck packed = ValidatePacked(name, sevenChar); packed.valid) {
    fields.objectType = static_cast<std::uint8_t>(packed.kind);
    fields.designation = name;
    name = UnpackDesignation(name, packed.kind).readable;
    fields.name = name;
  }
  if (IsNumberText(name, 0)) {
    // "(433)" is a number too; the field takes the number without its brackets.
    std::string number = Trim(name);
    if (!number.empty() && number.front() == '(') number.erase(0, 1);
    if (!number.empty() && number.back() == ')') number.pop_back();
    name = Trim(number);
    fields.number = name;
    fields.designation.clear();
    fields.name = fields.objectType == kMinorPlanetKind ? lookup_.FindNameByNumber(Trim(name)) : std::string();
    return;
  }
  if (NameNumberCheck(name)) return;
  fields.number.clear();
  if (name.size() >= 2 && (name[0] == 'P' || name[0] == 'p') && name[1] == '/') fields.objectType = kCometKind;
  const std::string found = fields.objectType == kMinorPlanetKind ? lookup_.FindDesignationByName(name) : std::string();
  if (found.empty()) {
    fields.designation = PackDesignation(name, fields.objectType, sevenChar);
    if (!fields.designation.empty()) fields.name = UnpackDesignation(fields.designation, fields.objectType).readable;
  } else if (IsNumberText(found, 0)) {
    fields.number = StripLeadingZeros(found);
    fields.designation.clear();
    fields.name = name;
  } else {
    fields.designation = found;
  }
}

void ObsParamsLogic::VerifyObjectID(IdField field) {
  platform::BusyCursor busy(ui_);
  switch (field) {
    case IdField::Number:
      if (fields.number.empty()) return;
      VerifyNumber();
      break;
    case IdField::Designation:
      if (!VerifyDesignation()) return;
      break;
    case IdField::Name: VerifyName(); break;
  }
  fields.discoveryEnabled =
      fields.number.empty() && !ValidatePacked(fields.designation, settings_.oldReportFormat).valid && !Simulated();
  if (!fields.discoveryEnabled) fields.discovery = false;
  verified_.name = fields.name;
  verified_.number = fields.number;
  verified_.designation = fields.designation;
}

std::optional<std::string> ObjectNumberText(const std::string& typed) {
  std::string text = Trim(typed);
  if (text.empty()) return text;
  const auto allDigits = [](const std::string& t) {
    return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  const auto positive = [](const std::string& t) {
    return std::any_of(t.begin(), t.end(), [](char c) { return c >= '1' && c <= '9'; });
  };
  // A periodic comet's number: "12P", "3D".
  const char last = static_cast<char>(std::toupper(static_cast<unsigned char>(text.back())));
  if ((last == 'P' || last == 'D') && text.size() > 1) {
    const std::string digits = text.substr(0, text.size() - 1);
    if (allDigits(digits) && positive(digits)) return digits + last;
    return std::nullopt;
  }
  if (allDigits(text)) {
    if (!positive(text)) return std::nullopt;
    return text;
  }
  // A packed number ("A0001" is 100001) is read as the number it stands for.
  if (const auto unpacked = UnpackNumber(text); unpacked && *unpacked >= 1) {
    std::string digits = std::to_string(*unpacked);
    if (digits.size() <= 7) return digits;
  }
  return std::nullopt;
}

bool ObsParamsLogic::Ok() {
  const std::optional<std::string> typedNumber = ObjectNumberText(fields.number);
  if (!typedNumber) {
    platform::Tell(ui_,
                   "\"" + fields.number + "\" is not a valid Object Number!\r\n\r\n" +
                       "Enter a whole positive number (such as 433, or 12P for a periodic comet), or leave the "
                       "Number field empty.",
                   "Invalid Object Number!", Icon::Error);
    return false;
  }
  fields.number = *typedNumber;
  const std::optional<double> date = ParseDateField(fields.date, settings_.currentYear);
  const std::optional<long double> time = ParseTimeField(fields.time);
  if (!date || !time) {
    platform::Tell(ui_, "\"" + fields.date + " " + fields.time + "\" is not a valid Calendar Date and/or Time!",
                   "Calendar Date Error!", Icon::Error);
    return false;
  }
  ObsParams result = record_;
  // Texts left as shown keep the time to its full precision (the text holds milliseconds).
  if (fields.date != shownDate_ || fields.time != shownTime_)
    result.observationTime = *date + static_cast<double>(*time);
  result.observer = Cut(fields.observer, 68);
  result.objectName = Cut(fields.name, 68);
  result.designation = Cut(fields.designation, 9);
  std::string number = Cut(fields.number, 7);
  if (!number.empty() && number.size() < 5) number = std::string(5 - number.size(), '0') + number;
  result.number = number;
  if (fields.discovery)
    result.note = kNoteDiscovery;
  else if (result.note == kNoteDiscovery)
    result.note = kNoteNormal;
  result.objectType = fields.objectType;

  if (checkOnOk_ && result.note != kNoteSimulated) {
    if (result.designation.empty() && result.number.empty() && !result.objectName.empty()) {
      VerifyObjectID(IdField::Name);
      result.designation = Cut(fields.designation, 9);
      number = Cut(fields.number, 7);
      if (!number.empty() && number.size() < 5) number = std::string(5 - number.size(), '0') + number;
      result.number = number;
      result.objectType = fields.objectType;
    }
    std::string message;
    const bool discovery = result.note == kNoteDiscovery;
    if (result.designation.empty() && result.number.empty())
      message =
          "Observations reported to the Minor Planet Center must include either an Object Number or a "
          "Provisional/Temporary Designation.";
    else if (!result.designation.empty() && !result.number.empty())
      message = "Observations should not include BOTH an Object Number and a Provisional/Temporary Designation.";
    else if (discovery && !result.number.empty())
      message = "Numbered Objects should not be reported as Discoveries.";
    else if (discovery && result.designation.empty())
      message = "Discoveries should include a Temporary Designation.";
    if (!message.empty() &&
        platform::Tell(
            ui_,
            message + "\r\n\r\n" + "Select \"OK\" to Continue with Current Entries, \"Cancel\" to Return to Dialog." +
                "  (You can edit the report later.)",
            "** See \"Guide to Minor-Body Astrometry\" **", Icon::Stop, Buttons::OkCancel, true) != Answer::Ok)
      return false;
  }
  record_ = result;
  return true;
}

void ClearObsParams(ObsParams& params, VerifiedIds& verified) {
  params.objectName.clear();
  params.designation.clear();
  params.number.clear();
  params.observer.clear();
  params.observationTime = 0;
  params.note = 0;
  params.objectType = 0;
  verified = VerifiedIds{};
}

}  // namespace skarvel
