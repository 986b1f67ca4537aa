// The on-line catalog reader: one query per field to the USNO-style cone
// search at `USNOCatURL` or to VizieR, the answer kept for the next field it
// covers, and the stars of the search window at the observation time.
//
// Usage (the load sequence does steps 2 to 4):
//   1. B1CatObj online(options, ui);  online.SetColourChoice(request.colourChoice);
//   2. online.SetField(params);  if (!online.OpenCatalog()) -> the message was shown
//   3. online.ReadField(params.window, julianDate, stars);
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalogs/field_load.h"
#include "catalogs/online_answer.h"
#include "catalogs/online_catalogs.h"

namespace skarvel {

class B1CatObj : public FieldCatalogReader {
 public:
  /// Reads the service, catalog and addresses from `options` at each query.
  B1CatObj(const OptionsRecord& options, platform::Platform& ui);

  /// The colour choice of the next query (the field parameters dialog's colour list).
  void SetColourChoice(std::uint8_t colourChoice) { colourChoice_ = colourChoice; }
  /// The field of the next query: centre, size, limiting magnitude and window.
  void SetField(const FieldParameters& params) { params_ = params; }

  /// Sends the query, or reuses the previous answer when it covers the field
  /// (same service, address, catalog and colour; window within the previous
  /// one; centre within 0.0028 degrees; size and limiting magnitude not larger),
  /// or when the query text is the stored answer's own.
  /// False, with the message shown, when the request failed or the answer
  /// could not be read; the previous answer then stays stored. A request the
  /// person stopped returns false without a message.
  bool OpenCatalog() override;
  /// The stars of the stored answer moved to `julianDate` that pass the window test.
  bool ReadField(const SearchWindow& window, long double julianDate, std::vector<CatalogStar>& stars) override;

  /// The catalog the options select now.
  const OnlineCatalog& Catalog() const { return OnlineCatalogOf(options_.webCatalog); }
  /// The query text for the field and colour set now.
  std::string QueryText() const;
  /// HTTP requests sent so far.
  int Requests() const { return requests_; }
  /// True once an answer is stored.
  bool HasAnswer() const { return key_.has_value(); }
  const OnlineAnswer& Answer() const { return answer_; }

 private:
  OnlineQueryKey KeyNow() const;
  void Failed(const platform::HttpResponse& response, const OnlineCatalog& catalog, bool vizier);

  const OptionsRecord& options_;
  platform::Platform& ui_;
  FieldParameters params_;
  std::uint8_t colourChoice_ = 0;
  std::optional<OnlineQueryKey> key_;
  std::string answerQuery_;     ///< the query text of the stored answer
  bool answerRefMags_ = false;  ///< `DefaultRefMags` when it was read
  OnlineAnswer answer_;
  int requests_ = 0;
};

/// The on-line part of the load sequence: the query (or the stored answer),
/// then, only when that worked, the field list is emptied and filled with the
/// stars of the window. False (and the field list as it was, `failureTold`
/// set) when the query failed; true otherwise, also when no star passed. Without a reader the
/// field list is emptied and the result is true.
bool LoadOnlineField(FieldLoadContext& context, const FieldParameters& params, long double julianDate);

}  // namespace skarvel
