#include "catalogs/b1_cat.h"

namespace skarvel {

namespace {

constexpr const char* kBreak = "\r\n";
constexpr const char* kBreak2 = "\r\n\r\n";

}  // namespace

B1CatObj::B1CatObj(const OptionsRecord& options, platform::Platform& ui) : options_(options), ui_(ui) {}

OnlineQueryKey B1CatObj::KeyNow() const {
  OnlineQueryKey key;
  key.vizier = UsesVizieR(options_);
  key.webCatalog = Catalog().webCatalog;
  key.endpoint = key.vizier ? VizieREndpoint(options_) : options_.usnoCatURL;
  key.window = params_.window;
  key.centreRA = params_.centreRA;
  key.centreDec = params_.centreDec;
  key.size = params_.size;
  key.limitMag = params_.limitMag;
  key.colourChoice = colourChoice_;
  return key;
}

std::string B1CatObj::QueryText() const {
  const OnlineCatalog& catalog = Catalog();
  if (UsesVizieR(options_)) return VizieRQueryText(VizieREndpoint(options_), catalog, params_, colourChoice_);
  return USNOQueryText(options_.usnoCatURL, catalog, params_, colourChoice_);
}

void B1CatObj::Failed(const platform::HttpResponse& response, const OnlineCatalog& catalog, bool vizier) {
  const bool noAnswer = response.status == 0;
  std::string reason = noAnswer ? std::string("Server is not responding!") : "Response Code = " + response.error;
  if (vizier) {
    if (noAnswer && !response.error.empty()) reason += std::string(kBreak) + "(" + response.error + ")";
    if (response.status >= 200 && response.status < 300) reason = "The answer broke off: " + response.error;
    platform::Tell(ui_,
                   "VizieR \"Get\" request for " + std::string(catalog.name) + " failed!" + kBreak2 + reason + kBreak2 +
                       kVizieRFailureAdvice,
                   "Cannot Access Online Catalog!", platform::Icon::Error);
    return;
  }
  platform::Tell(ui_, std::string("USNO-VO \"Get\" request failed!") + kBreak2 + reason,
                 "Cannot Access Online Catalog!", platform::Icon::Error);
}

bool B1CatObj::OpenCatalog() {
  const OnlineQueryKey key = KeyNow();
  if (key_.has_value() && CachedAnswerServes(*key_, key)) return true;
  const OnlineCatalog& catalog = Catalog();
  const std::string name = catalog.name;
  const std::string query = QueryText();
  // The very query of the stored answer (a colour choice the catalog lacks
  // asks for its first colour): the answer would be the same.
  if (key_.has_value() && query == answerQuery_ && options_.defaultRefMags == answerRefMags_) return true;
  ui_.ProgressNote(std::string(key.vizier ? "VizieR Web Service (CDS)" : "USNO-NVO Web Service") + kBreak +
                   "Requesting " + name + " Data");
  ++requests_;
  const platform::HttpResponse response = ui_.HttpGet(query);
  if (!response.ok) {
    ui_.ProgressNote("");
    if (!response.stopped) Failed(response, catalog, key.vizier);
    return false;
  }
  ui_.ProgressNote(name + " Data Received." + kBreak + "Processing Catalog Data");
  AnswerResult result = key.vizier ? ReadVizieRAnswer(response.body, catalog, colourChoice_, options_.defaultRefMags)
                                   : ReadUSNOAnswer(response.body, catalog, colourChoice_, options_.defaultRefMags);
  ui_.ProgressNote("");
  for (const AnswerMessage& m : result.messages)
    platform::Tell(ui_, m.text, m.caption, platform::Icon::Error);
  if (!result.ok) return false;
  answer_ = std::move(result.answer);
  key_ = key;
  answerQuery_ = query;
  answerRefMags_ = options_.defaultRefMags;
  return true;
}

bool B1CatObj::ReadField(const SearchWindow& window, long double julianDate, std::vector<CatalogStar>& stars) {
  const std::string name = Catalog().name;
  ui_.ProgressNote(name + " Catalog" + kBreak + "Searching " + name + " Catalog Data");
  stars = ReadAnswerField(answer_, window, julianDate);
  ui_.ProgressNote("");
  return !stars.empty();
}

bool LoadOnlineField(FieldLoadContext& c, const FieldParameters& params, long double julianDate) {
  B1CatObj* online = c.readers.online;
  if (online == nullptr) {
    c.field.BeginField();
    return true;
  }
  online->SetField(params);
  if (!online->OpenCatalog()) {
    // The query said why it failed (or the person stopped it).
    c.failureTold = true;
    return false;
  }
  c.field.BeginField();
  c.field.PrepareField();
  std::vector<CatalogStar> stars;
  if (online->ReadField(params.window, julianDate, stars))
    for (const CatalogStar& s : stars) c.field.AddStar(s);
  return true;
}

}  // namespace skarvel
