#include "config/observer_records.h"

#include <gtest/gtest.h>

#include "foundations/io_error.h"
#include "images/box_record.h"
#include "images/display_settings.h"

namespace skarvel {
namespace {

template <typename Record, typename WriteFn, typename ReadFn>
void ExpectRoundTrip(const Record& r, std::size_t bytes, WriteFn write, ReadFn read) {
  ByteWriter out;
  write(out, r);
  ASSERT_EQ(out.Size(), bytes);
  ByteReader in(out.Buffer().data(), out.Size());
  EXPECT_EQ(read(in), r);
  EXPECT_TRUE(in.AtEnd());
  // One byte short fails with "EOF!".
  ByteReader shortIn(out.Buffer().data(), out.Size() - 1);
  try {
    read(shortIn);
    ADD_FAILURE() << "a short record was read";
  } catch (const IOFailure& failure) {
    EXPECT_EQ(failure.Code(), 100);
    EXPECT_STREQ(failure.what(), "EOF!");
  }
}

TEST(ObserverRecords, SizesAndRoundTrips) {
  const UserRecord user{std::string(40, 'n'), "Inst", "Street", "City", "U.K.", "e@x", std::string(255, 'o'), "M"};
  ExpectRoundTrip(user, 758, WriteUserRecord, ReadUserRecord);
  const CameraRecord camera{"SBIG ST-8", 9.0f, 9.0f, 1530, 1020, 355.6f, 2845.0f, -7, true, 8};
  ExpectRoundTrip(camera, 69, WriteCameraRecord, ReadCameraRecord);
  ExpectRoundTrip(DefaultSiteRecord(), 172, WriteSiteRecord, ReadSiteRecord);
  DisplaySettings display;
  display.contrast = 50;
  display.rangeFromHeader = 1;
  display.reserved = 0xEE;
  ExpectRoundTrip(display, 35, WriteDisplaySettings, ReadDisplaySettings);
  ExpectRoundTrip(BoxRecord{-1, 2, 3, -3}, 4, WriteBoxRecord, ReadBoxRecord);
}

TEST(ObserverRecords, CameraFieldOffsets) {
  ByteWriter out;
  WriteCameraRecord(out, CameraRecord{"AB", 1.5f, 2.5f, 0x01020304, 7, 0.0f, 0.0f, 0x0A0B, true, 3});
  const auto& b = out.Buffer();
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(b[1], 'A');
  EXPECT_EQ(b[3], 0);  // the rest of the name area is zero
  EXPECT_EQ(b[41 + 3], 0x3F);  // 1.5f = 0x3FC00000, little-endian
  EXPECT_EQ(b[49], 0x04);
  EXPECT_EQ(b[52], 0x01);
  EXPECT_EQ(b[65], 0x0B);
  EXPECT_EQ(b[66], 0x0A);
  EXPECT_EQ(b[67], 1);
  EXPECT_EQ(b[68], 3);
}

TEST(ObserverRecords, DefaultSiteIsKittPeak) {
  const SiteRecord s = DefaultSiteRecord();
  EXPECT_EQ(s.code, "695");
  // MPC list of observatory codes: 695 at 248.40053 degrees east.
  EXPECT_NEAR(360.0 + static_cast<double>(s.longitudeDeg), 248.40053, 1e-4);
  EXPECT_NEAR(s.latitudeDeg, 31.9583, 1e-3);
  EXPECT_TRUE(s.west);
  EXPECT_TRUE(s.north);
  EXPECT_EQ(s.telescopeId, '1');
}

}  // namespace
}  // namespace skarvel
