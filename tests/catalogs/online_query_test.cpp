// The query texts of both on-line services, the VizieR address rules and the
// rule that lets a stored answer serve the next field.
#include "catalogs/online_catalogs.h"

#include <gtest/gtest.h>

namespace skarvel {
namespace {

FieldParameters FieldAt(long double raHours, long double decDeg, float size, float mag) {
  FieldParameters p;
  p.centreRA = raHours;
  p.centreDec = decDeg;
  p.size = size;
  p.limitMag = mag;
  DeriveSearchWindow(p);
  return p;
}

constexpr const char* kBase = "https://cone.example/cgi-bin/vo_cone.cgi?";

TEST(OnlineQuery, USNOStyleTextForEveryCatalogAndColour) {
  const FieldParameters p = FieldAt(9.38895L, -8.411542L, 20, 17);
  const std::string tail = "&bri=1.0&fai=17.0&cftype=ASCII&skey=RA&slf=hh.hhh/dd.ddd";
  EXPECT_EQ(USNOQueryText(kBase, OnlineCatalogOf(kWebUSNOB1), p, 1),
            std::string(kBase) + "CAT=USNO-B1&RA=140.834250&DEC=-8.411542&SR=0.50&VERB=1&clr=R2" + tail);
  const char* nomad[] = {"B", "V", "R", "J", "H", "K"};
  for (std::uint8_t c = 0; c < 6; ++c)
    EXPECT_EQ(USNOQueryText(kBase, OnlineCatalogOf(kWebNOMAD), p, c),
              std::string(kBase) + "CAT=NOMAD&RA=140.834250&DEC=-8.411542&SR=0.50&VERB=1&clr=" + nomad[c] + tail);
  const char* b1[] = {"B2", "R2", "I2"};
  for (std::uint8_t c = 0; c < 3; ++c)
    EXPECT_NE(USNOQueryText(kBase, OnlineCatalogOf(kWebUSNOB1), p, c).find(std::string("&clr=") + b1[c] + "&"),
              std::string::npos);
  // USNO-A2.0, a positive declination (no sign written), a 26' field, limit 18.
  const FieldParameters q = FieldAt(0.5L, 12.5L, 26, 18);
  EXPECT_EQ(USNOQueryText(kBase, OnlineCatalogOf(kWebUSNOA2), q, 0),
            std::string(kBase) +
                "CAT=USNO-A2&RA=7.500000&DEC=12.500000&SR=0.65&VERB=1&clr=B&bri=1.0&fai=18.0&cftype=ASCII&skey=RA"
                "&slf=hh.hhh/dd.ddd");
  // A colour choice beyond the list takes the first colour.
  EXPECT_NE(USNOQueryText(kBase, OnlineCatalogOf(kWebUSNOA2), q, 5).find("&clr=B&"), std::string::npos);
}

TEST(OnlineQuery, VizieRTextEncodesBlanksSignsAndTheMagnitudeLimit) {
  const std::string endpoint = "https://vizier.cds.unistra.fr/viz-bin/asu-tsv";
  // Radius: the window's farthest corner, 0.353726 degrees for a 20' field at
  // Dec -8.41 (spherical law of cosines in Python's math module, double
  // precision), rounded up with a margin of 1e-4: 0.3539.
  const FieldParameters south = FieldAt(9.38895L, -8.411542L, 20, 17);
  EXPECT_EQ(VizieRQueryText(endpoint, OnlineCatalogOf(kWebGaiaDR3), south, 0),
            endpoint +
                "?-source=I/355/gaiadr3&-c=140.834250%20-8.411542&-c.eq=J2000&-c.rd=0.3539"
                "&-out=Source,RA_ICRS,DE_ICRS,pmRA,pmDE,Gmag&-out.max=50000&-sort=Gmag&Gmag=%3C17.0");
  const FieldParameters north = FieldAt(9.38895L, 8.411542L, 20, 15.5f);
  EXPECT_EQ(VizieRQueryText(endpoint, OnlineCatalogOf(kWebUCAC4), north, 1),
            endpoint +
                "?-source=I/322A/out&-c=140.834250%20%2B8.411542&-c.eq=J2000&-c.rd=0.3539"
                "&-out=UCAC4,RAJ2000,DEJ2000,pmRA,pmDE,Vmag&-out.max=50000&-sort=Vmag&Vmag=%3C15.5");
  struct Expect {
    std::uint8_t catalog, colour;
    const char* source;
    const char* out;
  };
  for (const Expect& e : {Expect{kWebNOMAD, 2, "I/297/out", "NOMAD1,RAJ2000,DEJ2000,pmRA,pmDE,Rmag"},
                          Expect{kWebUSNOB1, 2, "I/284/out", "USNO-B1.0,RAJ2000,DEJ2000,pmRA,pmDE,Imag"},
                          Expect{kWebUSNOA2, 0, "I/252/out", "USNO-A2.0,RAJ2000,DEJ2000,Bmag"},
                          Expect{kWebUCAC4, 7, "I/322A/out", "UCAC4,RAJ2000,DEJ2000,pmRA,pmDE,f.mag"}}) {
    const std::string q = VizieRQueryText(endpoint, OnlineCatalogOf(e.catalog), north, e.colour);
    EXPECT_NE(q.find(std::string("?-source=") + e.source + "&"), std::string::npos) << q;
    EXPECT_NE(q.find(std::string("&-out=") + e.out + "&"), std::string::npos) << q;
  }
}

TEST(OnlineQuery, RadiusOfAPolarCapReachesAcrossThePole) {
  // Dec +89.9, 30': the window is the cap from 88.875 to the pole; its far
  // side lies 0.1 + 1.125 degrees away.
  const FieldParameters p = FieldAt(3, 89.9L, 30, 16);
  EXPECT_NEAR(static_cast<double>(WindowRadiusDegrees(p)), 1.225, 1e-9);
}

TEST(OnlineQuery, VizieRAddressRules) {
  OptionsRecord o;
  EXPECT_EQ(VizieREndpoint(o), "https://vizier.cds.unistra.fr/viz-bin/asu-tsv");
  o.vizierServer = "vizier.cfa.harvard.edu";
  EXPECT_EQ(VizieREndpoint(o), "https://vizier.cfa.harvard.edu/viz-bin/asu-tsv");
  o.vizierServer = " http://127.0.0.1:8080/ ";
  EXPECT_EQ(VizieREndpoint(o), "http://127.0.0.1:8080/viz-bin/asu-tsv");
  o.vizierServer = "http://127.0.0.1:8080/other/asu";
  EXPECT_EQ(VizieREndpoint(o), "http://127.0.0.1:8080/other/asu");
  // Gaia DR3 and UCAC4 are asked of VizieR even with the USNO-style service chosen.
  o.onlineService = kServiceUSNO;
  o.webCatalog = kWebGaiaDR3;
  EXPECT_TRUE(UsesVizieR(o));
  o.webCatalog = kWebUCAC4;
  EXPECT_TRUE(UsesVizieR(o));
  o.webCatalog = kWebNOMAD;
  EXPECT_FALSE(UsesVizieR(o));
  o.onlineService = kServiceVizieR;
  EXPECT_TRUE(UsesVizieR(o));
  EXPECT_EQ(OnlineCatalogOf(9).webCatalog, kWebGaiaDR3);  // beyond the list: the default
}

OnlineQueryKey KeyOf(const FieldParameters& p, std::uint8_t colour = 0) {
  OnlineQueryKey k;
  k.vizier = true;
  k.webCatalog = kWebGaiaDR3;
  k.endpoint = "e";
  k.window = p.window;
  k.centreRA = p.centreRA;
  k.centreDec = p.centreDec;
  k.size = p.size;
  k.limitMag = p.limitMag;
  k.colourChoice = colour;
  return k;
}

TEST(OnlineQuery, StoredAnswerServesASmallerFieldWithTheSameCentre) {
  const OnlineQueryKey before = KeyOf(FieldAt(9.38895L, -8.41L, 20, 17));
  EXPECT_TRUE(CachedAnswerServes(before, KeyOf(FieldAt(9.38895L, -8.41L, 19, 17))));
  EXPECT_TRUE(CachedAnswerServes(before, KeyOf(FieldAt(9.38895L, -8.41L, 20, 16))));
  EXPECT_TRUE(CachedAnswerServes(before, before));
  // Centre moved by 0.0025 degrees in Dec with a field 1' smaller: still inside.
  EXPECT_TRUE(CachedAnswerServes(before, KeyOf(FieldAt(9.38895L, -8.4075L, 19, 17))));
  EXPECT_FALSE(CachedAnswerServes(before, KeyOf(FieldAt(9.38895L, -8.41L, 21, 17))));   // larger
  EXPECT_FALSE(CachedAnswerServes(before, KeyOf(FieldAt(9.38895L, -8.41L, 20, 17.5f))));  // fainter
  EXPECT_FALSE(CachedAnswerServes(before, KeyOf(FieldAt(9.38895L, -8.41L, 19, 17), 1)));  // colour
  EXPECT_FALSE(CachedAnswerServes(before, KeyOf(FieldAt(9.38895L, -8.406L, 12, 17))));  // 0.004 deg off
  EXPECT_FALSE(CachedAnswerServes(before, KeyOf(FieldAt(9.38895L + 0.004L / 15, -8.41L, 12, 17))));
  OnlineQueryKey other = KeyOf(FieldAt(9.38895L, -8.41L, 19, 17));
  other.webCatalog = kWebUCAC4;
  EXPECT_FALSE(CachedAnswerServes(before, other));
  other = KeyOf(FieldAt(9.38895L, -8.41L, 19, 17));
  other.endpoint = "mirror";
  EXPECT_FALSE(CachedAnswerServes(before, other));
  other.endpoint = "e";
  other.vizier = false;
  EXPECT_FALSE(CachedAnswerServes(before, other));
}

TEST(OnlineQuery, StoredAnswerAcrossZeroHours) {
  const OnlineQueryKey wraps = KeyOf(FieldAt(0.01L, 0, 60, 17));  // 23.96 h .. 0.06 h
  ASSERT_GT(wraps.window.raMin, wraps.window.raMax);
  EXPECT_TRUE(CachedAnswerServes(wraps, KeyOf(FieldAt(0.01L, 0, 58, 17))));   // wraps inside
  EXPECT_TRUE(CachedAnswerServes(wraps, KeyOf(FieldAt(0.01L, 0, 2, 17))));    // wholly after 0 h
  OnlineQueryKey plain = KeyOf(FieldAt(0.01L, 0, 2, 17));
  EXPECT_FALSE(CachedAnswerServes(plain, wraps));  // a plain window never holds a wrapping one
}

}  // namespace
}  // namespace skarvel
