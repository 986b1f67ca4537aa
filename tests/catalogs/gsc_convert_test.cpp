// The GSC conversion: defaults and checks of the settings, the three record
// layouts, a region file, and whole conversions of a full CD-ROM tree (the
// fixture's region files where they exist, empty region files elsewhere)
// with one and two threads, Restart, a stop, the mount question, and the
// converted catalog read back against the CD-ROM form.
#include "catalogs/gsc_convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>

#include "catalogs/gsc_field.h"
#include "catalogs/gsc_zones.h"
#include "foundations/byte_io.h"
#include "foundations/file_system.h"
#include "gsc_fixture.h"
#include "support/gsc_cdrom_tree.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace skarvel {
namespace {

namespace stdfs = std::filesystem;
using testing::ScriptedPlatform;
using testing::TempDir;

TEST(GSCConvertSettings, DefaultsAndTheSameDirectoryRefused) {
  OptionsRecord o;
  o.dataDir = "/data/";
  o.cdromDrive = "/media/cdrom/";
  o.gscPath1.clear();
  o.vornFormatGSC = false;
  GSCConvertSettings s = DefaultConvertSettings(o);
  EXPECT_EQ(s.inputPath1, "/media/cdrom/");
  EXPECT_EQ(s.inputPath2, "/media/cdrom/");
  EXPECT_EQ(s.outputPath, "/data/GSC_VORN\\");
  EXPECT_FLOAT_EQ(s.magLimit, 20.0f);
  EXPECT_FALSE(s.restart || s.finder || s.marloVersion);
  o.gscPath1 = "/cat/GSC1/";
  o.gscPath2 = "/cat/GSC2/";
  s = DefaultConvertSettings(o);
  EXPECT_EQ(s.inputPath1, "/cat/GSC1/");
  EXPECT_EQ(s.inputPath2, "/cat/GSC2/");
  EXPECT_EQ(s.outputPath, "/cat/GSC1_VORN/");
  o.vornFormatGSC = true;
  s = DefaultConvertSettings(o);
  EXPECT_EQ(s.inputPath1, "/media/cdrom/");
  EXPECT_EQ(s.outputPath, "/cat/GSC1/");

  ScriptedPlatform ui;
  GSCConvertSettings same{"/a", "/b", "/b", 20, false, false, false};
  EXPECT_FALSE(CheckConvertSettings(ui, same));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Input Directory Cannot Be Used for Output");
  EXPECT_EQ(ui.Messages()[0].caption, "Same Directory!");
  EXPECT_EQ(ui.Messages()[0].icon, platform::Icon::Error);
  EXPECT_EQ(same.inputPath1, "/a\\");  // separators added
  GSCConvertSettings fine{"/a/", "/b/", "/c", 20, false, false, false};
  EXPECT_TRUE(CheckConvertSettings(ui, fine));
  EXPECT_EQ(fine.outputPath, "/c\\");
  EXPECT_EQ(ui.Messages().size(), 1u);
}

TEST(GSCConvertRecords, TheThreeLayouts) {
  CatalogStar s;
  s.id = "05340-00117";
  s.ra = 13.2211059L;
  s.dec = -7.93343L;
  s.mag = 11.2345f;
  s.posErr = 0.25f;   // x 10 = 2.5: the even neighbour 2
  s.magErr = 0.305f;  // x 100 = 30.5 in float, a little below or above
  s.entries = 3;
  s.starClass = 0;
  const auto standard = EncodeConvertedStar(s, false, false);
  ASSERT_EQ(standard.size(), kGSCConvertedRecordBytes);
  ByteReader in(standard.data(), standard.size());
  EXPECT_EQ(in.I32(), 132211059);
  EXPECT_EQ(in.I32(), -793343);
  EXPECT_EQ(in.U32(), 0u);
  EXPECT_EQ(in.I16(), 11234);  // 11234.5 in float falls below the half
  EXPECT_EQ(in.I16(), 2);
  EXPECT_EQ(in.I16(), static_cast<std::int16_t>(std::nearbyint(0.305f * 100.0L)));
  EXPECT_EQ(in.I16(), 3);
  EXPECT_EQ(in.U8(), 0);
  EXPECT_EQ(in.Text(5), "00117");
  const CatalogStar back = DecodeConvertedGSCRecord(standard.data(), 5340, true);
  EXPECT_EQ(back.id, s.id);
  EXPECT_NEAR(static_cast<double>(back.ra), 13.2211059, 1e-12);
  const auto marlo = EncodeConvertedStar(s, false, true);
  ASSERT_EQ(marlo.size(), 27u);
  ByteReader m(marlo.data(), marlo.size());
  m.Skip(12);
  m.Skip(2);
  EXPECT_EQ(m.I16(), 30000);
  EXPECT_EQ(m.I16(), 30000);
  EXPECT_EQ(m.I16(), 0);
  EXPECT_EQ(m.U8(), 15);
  // Exact halves go to the even neighbour; everything else to the nearest integer.
  std::mt19937 rng(27);
  std::uniform_real_distribution<double> any(-1.0, 1.0);
  for (int k = 0; k < 2000; ++k) {
    CatalogStar h = s;
    h.mag = k == 0 ? 0.0625f : k == 1 ? -0.0625f : static_cast<float>(20 * any(rng));  // x 1000: 62.5, -62.5
    h.magErr = k == 0 ? 0.125f : k == 1 ? 0.375f : static_cast<float>(any(rng));       // x 100: 12.5, 37.5
    h.ra = k < 2 ? 0.0L : 12 + 12 * static_cast<long double>(any(rng));
    h.dec = 90 * static_cast<long double>(any(rng));
    const auto bytes = EncodeConvertedStar(h, false, false);
    ByteReader r(bytes.data(), bytes.size());
    EXPECT_EQ(r.I32(), static_cast<std::int32_t>(std::nearbyint(h.ra * 1e7L)));
    EXPECT_EQ(r.I32(), static_cast<std::int32_t>(std::nearbyint(h.dec * 1e5L)));
    r.Skip(4);
    EXPECT_EQ(r.I16(), k == 0 ? 62 : k == 1 ? -62 : static_cast<std::int16_t>(std::nearbyint(h.mag * 1000.0L)));
    r.Skip(2);
    EXPECT_EQ(r.I16(), k == 0 ? 12 : k == 1 ? 38 : static_cast<std::int16_t>(std::nearbyint(h.magErr * 100.0L)));
  }
  const auto finder = EncodeConvertedStar(s, true, false);
  ASSERT_EQ(finder.size(), kFinderRecordBytes);
  ByteReader f(finder.data(), finder.size());
  EXPECT_DOUBLE_EQ(f.F64(), 13.2211059);
  EXPECT_DOUBLE_EQ(f.F64(), -7.93343);
  EXPECT_FLOAT_EQ(f.F32(), 11.2345f);
  EXPECT_EQ(f.Text(5), "00117");
}

std::string Record(const std::string& number, double raDeg, double decDeg, double mag) {
  char b[64];
  std::snprintf(b, sizeof b, "%5s%9.5f%+9.5f%5.1f%5.2f%4.2f%2s%1d%4s%1s", number.c_str(), raDeg, decDeg, 0.3, mag,
                0.2, "V", 0, "XXXX", "F");
  return std::string(b, 45);
}

TEST(GSCConvertRegion, ABlankRecordEndsTheRegion) {
  TempDir dir;
  std::string file(kGSCHeaderBytes, ' ');
  file += Record("00002", 200.1, -7.5, 12.0) + Record("00001", 200.0, -7.5, 11.0) + Record("00001", 200.0, -7.5, 11.2) +
          Record("00003", 200.2, -7.5, 19.5) + std::string(45, ' ') + Record("00004", 200.3, -7.5, 10.0);
  testing::WriteText(dir / "5340.GSC", file);
  ScriptedPlatform ui;
  const ConvertedRegion r = ConvertRegionFile(ui, dir / "5340.GSC", 5340, 19.0f, false, false);
  EXPECT_EQ(r.code, 0);
  ASSERT_EQ(r.bytes.size(), 2 * 27u);  // 00001 merged, 00003 too faint, 00004 after the blank record
  EXPECT_EQ(DecodeConvertedGSCRecord(r.bytes.data(), 5340, true).id, "05340-00001");
  EXPECT_EQ(DecodeConvertedGSCRecord(r.bytes.data(), 5340, true).entries, 2);
  EXPECT_EQ(DecodeConvertedGSCRecord(r.bytes.data() + 27, 5340, true).id, "05340-00002");
  EXPECT_EQ(ConvertRegionFile(ui, dir / "none.GSC", 1, 20, false, false).code, 2);
  testing::WriteText(dir / "short.GSC", "SIMPLE");
  EXPECT_EQ(ConvertRegionFile(ui, dir / "short.GSC", 1, 20, false, false).code, 100);
  EXPECT_TRUE(ui.Messages().empty());
}

// The conversion as the field list does it: every entry inserted into the
// raw list, MergeEntries, the merged list walked in order.
std::vector<std::uint8_t> ListBuiltRegion(const std::string& path, std::uint32_t region, float magLimit, bool finder) {
  const auto file = testing::ReadAll(path);
  OptionsRecord options;
  ScriptedPlatform ui;
  GSCRgnsTblObj table(options, ui);
  GSCFieldObj field(options, ui, table);
  field.BeginField();
  for (std::size_t at = kGSCHeaderBytes; at + kGSCRecordBytes <= file.size(); at += kGSCRecordBytes) {
    const std::string record(reinterpret_cast<const char*>(&file[at]), kGSCRecordBytes);
    if (record.compare(0, 5, "     ") == 0) break;
    CatalogStar star;
    if (ParseGSCRecord(record, region, true, star) && star.mag <= magLimit) field.RawStars().InsertSorted(star);
  }
  if (!field.RawStars().IsEmpty()) field.MergeEntries();
  std::vector<std::uint8_t> bytes;
  field.Stars().Reset();
  while (const CatalogStar* star = field.Stars().Next()) {
    const auto one = EncodeConvertedStar(*star, finder, false);
    bytes.insert(bytes.end(), one.begin(), one.end());
  }
  return bytes;
}

TEST(GSCConvertRegion, SameBytesAsTheListBuiltConversion) {
  // Positions from a coarse grid, so that many entries share RA and Dec;
  // numbers repeated far apart in the file; some entries too faint.
  std::mt19937 rng(1762);
  TempDir dir;
  for (int trial = 0; trial < 40; ++trial) {
    std::uniform_int_distribution<int> grid(0, trial % 4 == 0 ? 2 : 12), number(1, 60), count(1, 400);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::string file(kGSCHeaderBytes, ' ');
    const int n = count(rng);
    for (int i = 0; i < n; ++i) {
      char id[8];
      std::snprintf(id, sizeof id, "%05d", number(rng));
      const double ra = trial % 5 == 1 ? 359.99990 + 0.00005 * grid(rng) - 0.0001 * (grid(rng) % 3) : 200 + 1e-5 * grid(rng);
      file += Record(id, std::fmod(ra + 360, 360), -7.5 + 1e-5 * grid(rng), 10 + 10 * unit(rng));
    }
    const std::string path = dir / ("r" + std::to_string(trial) + ".GSC");
    testing::WriteText(path, file);
    ScriptedPlatform ui;
    for (bool finder : {false, true}) {
      const ConvertedRegion r = ConvertRegionFile(ui, path, 5340, 19.0f, finder, false);
      ASSERT_EQ(r.code, 0);
      ASSERT_EQ(r.bytes, ListBuiltRegion(path, 5340, 19.0f, finder)) << "trial " << trial;
    }
  }
}

TEST(GSCConvertRegion, InsertionOrderOfEqualKeys) {
  // Against the list itself, on keys with many ties.
  std::mt19937 rng(9537);
  for (int trial = 0; trial < 300; ++trial) {
    std::uniform_int_distribution<int> key(0, 1 + trial % 6), size(0, 40);
    std::vector<CatalogStar> stars(static_cast<std::size_t>(size(rng)));
    StarList list;
    for (std::size_t i = 0; i < stars.size(); ++i) {
      stars[i].ra = key(rng);
      stars[i].dec = key(rng) % 2;
      stars[i].id = std::to_string(i);
      list.InsertSorted(stars[i]);
    }
    std::vector<std::uint32_t> expected;
    list.Reset();
    while (const CatalogStar* s = list.Next()) expected.push_back(static_cast<std::uint32_t>(std::stoul(s->id)));
    ASSERT_EQ(SortedInsertionOrder(stars), expected) << "trial " << trial;
  }
}

// A full CD-ROM tree: links to the fixture's region files, an empty region file elsewhere.
using FullTree = testing::GSCCdromTree;

// Every file under `dir` (relative name -> bytes).
std::map<std::string, std::vector<std::uint8_t>> Tree(const std::string& dir) {
  std::map<std::string, std::vector<std::uint8_t>> files;
  for (const auto& e : stdfs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) files[stdfs::relative(e.path(), dir).string()] = testing::ReadAll(e.path().string());
  return files;
}

// Puts a volume into the drive when the mount question comes.
class MountingPlatform : public ScriptedPlatform {
 public:
  std::function<void()> onMount;
  platform::Answer Message(const platform::MessageRequest& request) override {
    if (request.caption == "Mount GSC Volume" && onMount) {
      onMount();
      onMount = nullptr;
    }
    return ScriptedPlatform::Message(request);
  }
};

TEST(GSCConversion, StopRestartTwoThreadsAndReadBack) {
  FullTree tree;
  TempDir out;
  OptionsRecord o;
  o.dataDir = out.Path();
  o.programDir = out.Path();
  // Stopped after region 100 (the question answered Yes), then restarted:
  // regions 1..100 present, the conversion starts at 101 and the progress at 100.
  ScriptedPlatform stopper;
  stopper.StopProgressAfter(101);  // the opening position, then regions 1..100
  stopper.AnswerNext(platform::Answer::Yes);
  GSCConvertSettings halves = tree.Settings(out.Path() + "halves/");
  EXPECT_FALSE(GSCConverter(o, stopper, halves).ConvertGSC(2));
  ASSERT_EQ(stopper.Messages().size(), 1u);
  EXPECT_EQ(stopper.Messages()[0].text,
            "Terminate the GSC File Conversion?\r\n\r\n(You can restart later at the current point.)");
  EXPECT_EQ(stopper.Progress()[0].position, 100);
  EXPECT_FALSE(stdfs::exists(out.Path() + "halves/TABLES/REGIONS.BIN"));
  EXPECT_TRUE(stdfs::exists(out.Path() + "halves/GSC/N0000/0100.BIN"));
  EXPECT_FALSE(stdfs::exists(out.Path() + "halves/GSC/N0000/0101.BIN"));
  halves.restart = true;
  GSCConverter again(o, stopper, halves);
  ASSERT_TRUE(again.ConvertGSC(1));
  EXPECT_EQ(again.StartPosition(), 100);
  EXPECT_FALSE(halves.restart);  // Restart turned off at the first missing file
  EXPECT_EQ(stopper.Messages().size(), 1u);
  ASSERT_EQ(stopper.Progress().size(), 2u);
  EXPECT_EQ(stopper.Progress()[1].caption, "Converting GSC to VORN Format");
  EXPECT_EQ(stopper.Progress()[1].maximum, 9537);
  EXPECT_EQ(stopper.Progress()[1].position, 9537);
  const auto first = Tree(out.Path() + "halves/");
  EXPECT_EQ(first.size(), 9537u + 1);
  ASSERT_EQ(first.count("TABLES/REGIONS.BIN"), 1u);
  EXPECT_EQ(first.at("TABLES/REGIONS.BIN").size(), 9538u * 36);
  // Two threads in one run, with Volume 2 put into the drive only when asked
  // for (regions already tried without it are read again): the same bytes.
  MountingPlatform ui;
  GSCConvertSettings two = tree.Settings(out.Path() + "two/");
  two.inputPath2 = out.Path() + "cdrom/";
  ui.onMount = [&] {
    std::string volume = tree.Volume2();
    volume.pop_back();
    stdfs::create_directory_symlink(volume, out.Path() + "cdrom");
  };
  ui.AnswerNext(platform::Answer::Ok);
  ASSERT_TRUE(GSCConverter(o, ui, two).ConvertGSC(2));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Mount GSC Volume");
  EXPECT_EQ(ui.Messages()[0].text.rfind("Please Mount GSC Volume 2 ", 0), 0u);
  EXPECT_EQ(Tree(out.Path() + "two/"), first);

  // The converted catalog read back gives the CD-ROM form's field stars.
  std::mt19937 rng(26);
  std::uniform_real_distribution<double> pick(0.0, 1.0);
  const std::vector<std::pair<double, double>> centres = {{13.2310684, -7.8192147}, {5.9999999, 23.4392813},
                                                          {20.1454170, -20.1503582}};
  for (int k = 0; k < 6; ++k) {
    const auto& c = centres[static_cast<std::size_t>(k) % centres.size()];
    const FieldParameters p = testing::Field(c.first + (pick(rng) - 0.5) * 0.02, c.second + (pick(rng) - 0.5) * 0.3,
                                             static_cast<float>(20 + 30 * pick(rng)));
    TempDir scratch;
    OptionsRecord cd = testing::CdromOptions(scratch);
    OptionsRecord bin = cd;
    bin.vornFormatGSC = true;
    bin.gscPath1 = bin.gscPath2 = out.Path() + "two/";
    ScriptedPlatform u1, u2;
    GSCRgnsTblObj t1(cd, u1), t2(bin, u2);
    GSCFieldObj f1(cd, u1, t1), f2(bin, u2, t2);
    t1.LoadRegions(true);
    t2.LoadRegions(true);
    ASSERT_TRUE(t1.Loaded() && t2.Loaded());
    f1.PrepareField();
    f2.PrepareField();
    f1.LoadGSCField(p.window, t1.FindRegions(p.window));
    f2.LoadGSCField(p.window, t2.FindRegions(p.window));
    // Every CD-ROM star is in the converted field at the converted quantisation
    // (a star whose plate entries straddle the window edge may be in one form only).
    std::vector<CatalogStar> a, b;
    f1.Stars().Reset();
    while (const CatalogStar* s = f1.Stars().Next()) a.push_back(*s);
    f2.Stars().Reset();
    while (const CatalogStar* s = f2.Stars().Next()) b.push_back(*s);
    // Compared: the stars 2" inside the window, outside region 1762 (its file
    // holds a blank record in the middle, where the conversion stops reading).
    SearchWindow inner = p.window;
    const double margin = 2.0 / 3600;
    inner.decMin += margin;
    inner.decMax -= margin;
    inner.raMin += margin;
    inner.raMax -= margin;
    ASSERT_GT(a.size(), 3u) << k;
    std::size_t compared = 0;
    for (const CatalogStar& x : a) {
      if (x.id.rfind("01762-", 0) == 0 || !InWindow(inner, x.ra, x.dec, x.mag)) continue;
      ++compared;
      const auto y = std::find_if(b.begin(), b.end(), [&](const CatalogStar& other) { return other.id == x.id; });
      ASSERT_NE(y, b.end()) << x.id;
      EXPECT_NEAR(static_cast<double>(x.ra), static_cast<double>(y->ra), 0.5e-7);    // hours x 10^7
      EXPECT_NEAR(static_cast<double>(x.dec), static_cast<double>(y->dec), 0.5e-5);  // degrees x 10^5
      EXPECT_NEAR(x.mag, y->mag, 0.0005);
    }
    EXPECT_GT(compared, 3u) << k;
  }
}

TEST(GSCConversion, MountQuestionVolumesAndOutputFailures) {
  OptionsRecord o;
  ScriptedPlatform ui;
  GSCConvertSettings s{"/v1/", "/v2/", "/out/", 20, false, false, false};
  GSCConverter converter(o, ui, s);
  EXPECT_EQ(converter.InputFile(5259), "/v1/GSC\\S0000\\5259.GSC");
  EXPECT_EQ(converter.InputFile(5260), "/v2/GSC\\S0730\\5260.GSC");
  EXPECT_EQ(converter.OutputFile(5260), "/out/GSC\\S0730\\5260.BIN");
  ui.AnswerNext(platform::Answer::Cancel);
  EXPECT_FALSE(converter.ConvertRegion(converter.InputFile(5260), converter.OutputFile(5260), 14, 5260));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Please Mount GSC Volume 2 In CD-ROM Drive.  Wait until drive has loaded before pressing \"OK\".\r\n\r\n"
            "(If GSC is not on CD-ROM, press \"CANCEL\", restart conversion, and supply correct paths to GSC "
            "Volumes.)");
  EXPECT_EQ(ui.Messages()[0].caption, "Mount GSC Volume");
  EXPECT_EQ(ui.Messages()[0].buttons, platform::Buttons::OkCancel);
  // OK with the volume still missing: the open failure.
  ui.AnswerNext(platform::Answer::Ok);
  EXPECT_FALSE(converter.ConvertRegion(converter.InputFile(7), converter.OutputFile(7), 1, 7));
  ASSERT_EQ(ui.Messages().size(), 3u);
  EXPECT_NE(ui.Messages()[1].text.find("GSC Volume 1 "), std::string::npos);
  EXPECT_EQ(ui.Messages()[2].text, "Unable to Open GSC File!\r\n\r\nFile Name: /v1/GSC\\N0000\\0007.GSC\r\nIOResult = 2");
  EXPECT_EQ(ui.Messages()[2].caption, "GSC File Error!");
  // An output folder that cannot be written.
  TempDir dir;
  testing::WriteText(dir / "0007.GSC", std::string(kGSCHeaderBytes, ' '));
  EXPECT_FALSE(converter.ConvertRegion(dir / "0007.GSC", dir.Path() + "missing/0007.BIN", 1, 7));
  ASSERT_EQ(ui.Messages().size(), 4u);
  EXPECT_EQ(ui.Messages()[3].caption, "GSC Conversion File Error!");
  EXPECT_EQ(ui.Messages()[3].text.rfind("Unable to Open Output File!\r\n\r\nFile Name: " + dir.Path() + "missing/0007.BIN", 0), 0u);
}

}  // namespace
}  // namespace skarvel
