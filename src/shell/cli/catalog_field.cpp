#include "shell/cli/catalog_field.h"

#include "catalogs/field_load.h"
#include "catalogs/online_catalogs.h"
#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "shell/cli/json_text.h"

namespace skarvel::cli {

std::optional<std::string> CatalogCliPlatform::PromptText(const platform::TextPromptRequest& request) {
  err_ << request.caption << ": " << TerminalText(request.prompt) << "\n";
  return std::nullopt;
}

constexpr OnlineKind kOnlineKinds[] = {
    {"online", kServiceVizieR, kWebGaiaDR3},        {"vizier-gaia-dr3", kServiceVizieR, kWebGaiaDR3},
    {"vizier-ucac4", kServiceVizieR, kWebUCAC4},    {"vizier-nomad", kServiceVizieR, kWebNOMAD},
    {"vizier-usno-b1", kServiceVizieR, kWebUSNOB1}, {"vizier-usno-a2", kServiceVizieR, kWebUSNOA2},
    {"usno-nomad", kServiceUSNO, kWebNOMAD},        {"usno-usno-b1", kServiceUSNO, kWebUSNOB1},
    {"usno-usno-a2", kServiceUSNO, kWebUSNOA2},
};

long double ImageJulianDate(const FITSFileObj& image) {
  const double t = image.Header().observationTime;
  return t != 0 ? kJulianDateOffset + static_cast<long double>(t) : 0;
}

std::string CliAutoMatchRefusal(const std::string& reason, const std::string& advice) {
  return "No trustworthy match of the catalog stars with the stars of the image was found.\r\n\r\n" + reason +
         "\r\n\r\n" + advice;
}

const OnlineKind* FindOnlineKind(const std::string& kind) {
  for (const OnlineKind& k : kOnlineKinds)
    if (kind == k.kind) return &k;
  return nullptr;
}

namespace {

bool LocalKind(const std::string& kind) {
  for (const char* k : {"gsc", "gsc-converted", "ucac2", "ucac3", "bss", "sa1", "sa2"})
    if (kind == k) return true;
  return false;
}

}  // namespace

std::optional<CatalogChoice> ParseCatalogChoice(const Flags& flags, const std::string& subcommand, std::ostream& err) {
  if (!flags.Has("catalog")) {
    err << "skarvel-cli " << subcommand << ": --catalog is required\n";
    return std::nullopt;
  }
  CatalogChoice c;
  c.kind = flags.Text("catalog");
  if (const OnlineKind* k = FindOnlineKind(c.kind)) {
    c.online = true;
    c.service = k->service;
    c.webCatalog = k->webCatalog;
  }
  if (!c.online && !LocalKind(c.kind)) {
    err << "skarvel-cli " << subcommand
        << ": --catalog takes gsc, gsc-converted, online, vizier-gaia-dr3, vizier-ucac4, vizier-nomad, "
           "vizier-usno-b1, vizier-usno-a2, usno-nomad, usno-usno-b1, usno-usno-a2, ucac2, ucac3, bss, sa1 or sa2, "
           "not \""
        << c.kind << "\"\n";
    return std::nullopt;
  }
  if (!c.online && !flags.Has("path")) {
    err << "skarvel-cli " << subcommand << ": --catalog " << c.kind << " needs --path ROOT\n";
    return std::nullopt;
  }
  if (c.online && flags.Has("path")) {
    err << "skarvel-cli " << subcommand << ": --catalog " << c.kind << " is on-line: give --url, not --path\n";
    return std::nullopt;
  }
  if (!c.online && flags.Has("url")) {
    err << "skarvel-cli " << subcommand << ": --catalog " << c.kind << " is read from files: give --path, not --url\n";
    return std::nullopt;
  }
  if (flags.Has("path")) c.path = flags.Text("path");
  if (flags.Has("path2")) c.path2 = flags.Text("path2");
  if (flags.Has("url")) c.url = flags.Text("url");
  // The zone catalogs know colours 0 to 6, the on-line ones up to 7.
  if (flags.Has("colour")) {
    const auto v = flags.Number("colour", 0, c.online ? 7 : 6, err);
    if (!v) return std::nullopt;
    c.colour = static_cast<std::uint8_t>(*v);
  }
  if (flags.Has("timeout-s")) {
    const auto v = flags.Number("timeout-s", 1, 3600, err);
    if (!v) return std::nullopt;
    c.timeoutS = *v;
  }
  if (flags.Has("jd")) {
    const auto v = flags.Number("jd", 0, 1e8L, err);
    if (!v) return std::nullopt;
    c.jd = *v;
  }
  return c;
}

CliReferenceCatalog::CliReferenceCatalog(std::ostream& err, const CatalogChoice& choice, OptionsRecord& options)
    : err_(err),
      choice_(choice),
      ui_(err),
      options_(options),
      table_(options_, ui_),
      field_(options_, ui_, table_),
      zoneReaders_(options_, ui_),
      online_(options_, ui_) {
  const std::string& kind = choice.kind;
  const bool gsc = kind == "gsc" || kind == "gsc-converted";
  options_.dataDir = scratch_.Path();
  options_.cdromDrive.clear();
  if (choice.timeoutS) ui_.limits.timeoutMs = static_cast<int>(*choice.timeoutS * 1000);
  if (choice.online) {
    options_.catalogLocation = kCatalogWeb;
    options_.onlineService = choice.service;
    options_.webCatalog = choice.webCatalog;
    if (!choice.url.empty()) {
      if (choice.service == kServiceUSNO) options_.usnoCatURL = choice.url;
      else options_.vizierServer = choice.url;
    }
    return;
  }
  options_.catalogLocation = kCatalogLocal;
  options_.primaryCatalog = gsc                ? kPrimaryGSC
                            : kind == "ucac2" ? kPrimaryUCAC2
                            : kind == "ucac3" ? kPrimaryUCAC3
                                              : kPrimaryNone;
  options_.supplCatalog = kind == "sa1" ? 1 : kind == "sa2" ? 2 : kind == "bss" ? 3 : 0;
  options_.vornFormatGSC = kind == "gsc-converted";
  const std::string root = fs::WithTrailingSeparator(choice.path);
  const std::string root2 = choice.path2.empty() ? root : fs::WithTrailingSeparator(choice.path2);
  options_.gscPath1 = gsc ? root : scratch_.Path();  // nothing else is looked for
  options_.gscPath2 = gsc ? root2 : scratch_.Path();
  options_.ucac2Path = options_.bssPath = options_.sa1Path = options_.sa2Path = options_.ucac3Path1 = root;
  options_.ucac3Path2 = root2;
  options_.programDir = root;
}

bool CliReferenceCatalog::Load(FieldRequest& request, long double julianDate) {
  const std::string& kind = choice_.kind;
  const bool gsc = kind == "gsc" || kind == "gsc-converted";
  FieldParameters& params = request.params;
  params.useSupplement = !choice_.online && !gsc;
  options_.magLimit = params.limitMag;
  DeriveSearchWindow(params);
  FieldCatalogReaders readers;
  if (choice_.online) {
    request.colourChoice = choice_.colour ? *choice_.colour : OnlineCatalogOf(choice_.webCatalog).resetColour;
    online_.SetColourChoice(request.colourChoice);
    readers.online = &online_;
  } else {
    request.colourChoice = choice_.colour ? *choice_.colour : static_cast<std::uint8_t>(kind == "ucac3" ? 6 : 1);
    zoneReaders_.Fill(readers, request.colourChoice);
  }
  FieldLoadContext context{options_, ui_, table_, field_, readers};
  if (!LoadReferenceField(context, params, julianDate)) {
    if (!choice_.online && gsc && table_.Loaded()) err_ << "No GSC region overlaps the field.\n";
    return false;
  }
  if (!choice_.online && gsc && !field_.ReadComplete()) return false;
  if (field_.StarCount() == 0) {
    err_ << "Check Region Parameters: No Reference Stars Found in Region!\n";
    return false;
  }
  return true;
}

}  // namespace skarvel::cli
