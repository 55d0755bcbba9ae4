#include "platform/mac_metadata.h"

#include <gtest/gtest.h>

#include "platform/byte_reader.h"
#include "platform/errors.h"
#include "platform/mac_metadata_helpers.h"

using namespace mac_metadata;

// ---------------------------------------------------------------- FinderInfo

TEST(FinderInfoTest, TypeCreatorAndFlags) {
  auto info = FinderInfo::FromBytes(test_mac::FinderInfoBytes("Tavr", "qZt5", 0x4010));
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->Type(), "Tavr");
  EXPECT_EQ(info->Creator(), "qZt5");
  EXPECT_EQ(info->Flags(), 0x4010);
  EXPECT_EQ(info->Bytes().size(), 32u);
}

TEST(FinderInfoTest, AllZeroIsAbsent) {
  EXPECT_FALSE(FinderInfo::FromBytes(std::string(32, '\0')).has_value());
  EXPECT_FALSE(FinderInfo::FromBytes("").has_value());
  // Only flags set: present, with empty-looking codes.
  auto flagsOnly = FinderInfo::FromBytes(std::string(8, '\0') + test_mac::BE16(0x4000));
  ASSERT_TRUE(flagsOnly.has_value());
  EXPECT_EQ(flagsOnly->Type(), std::string(4, '\0'));
  EXPECT_EQ(flagsOnly->Flags(), 0x4000);
}

TEST(FinderInfoTest, ShortInputIsPaddedLongInputCut) {
  auto shortInfo = FinderInfo::FromBytes("TEXTttxt");
  ASSERT_TRUE(shortInfo.has_value());
  EXPECT_EQ(shortInfo->Type(), "TEXT");
  EXPECT_EQ(shortInfo->Flags(), 0);
  auto longInfo = FinderInfo::FromBytes(test_mac::FinderInfoBytes("TEXT", "ttxt", 1) + "ATTRmore");
  ASSERT_TRUE(longInfo.has_value());
  EXPECT_EQ(longInfo->Bytes(), test_mac::FinderInfoBytes("TEXT", "ttxt", 1));
}

TEST(FinderInfoTest, SetFlags) {
  FinderInfo info;
  EXPECT_TRUE(info.IsZero());
  info.SetFlags(FinderInfo::kHasHiddenExtension);
  EXPECT_FALSE(info.IsZero());
  EXPECT_EQ(info.Flags(), 0x0010);
  EXPECT_EQ(info.Bytes().substr(8, 2), std::string("\x00\x10", 2));
}

// ------------------------------------------------------------------ Decoders

TEST(MacMetadataTest, AfpInfo) {
  const std::string fi = test_mac::FinderInfoBytes("Tavr", "qZt5", 0x0010);
  auto info = FinderInfoFromAfpInfo(test_mac::AfpInfoBytes(fi));
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->Type(), "Tavr");
  EXPECT_EQ(info->Creator(), "qZt5");
  // Samba's streams_xattr may store a trailing zero byte.
  EXPECT_TRUE(FinderInfoFromAfpInfo(test_mac::AfpInfoBytes(fi) + std::string(1, '\0')).has_value());
  // Wrong signature, too short, all-zero Finder info.
  std::string bad = test_mac::AfpInfoBytes(fi);
  bad[0] = 'a';
  EXPECT_FALSE(FinderInfoFromAfpInfo(bad).has_value());
  EXPECT_FALSE(FinderInfoFromAfpInfo(test_mac::AfpInfoBytes(fi).substr(0, 59)).has_value());
  EXPECT_FALSE(FinderInfoFromAfpInfo(test_mac::AfpInfoBytes(std::string(32, '\0'))).has_value());
  EXPECT_FALSE(FinderInfoFromAfpInfo("").has_value());
}

TEST(MacMetadataTest, NetatalkMetadataBlob) {
  // Netatalk's user.org.netatalk.Metadata: AppleDouble v2, "Netatalk" filler,
  // entries in Netatalk's order with the Finder info not first.
  const std::string blob =
      test_mac::AppleDoubleBytes({{8, std::string(16, '\0')},
                                  {14, std::string(6, '\0')},
                                  {9, test_mac::FinderInfoBytes("Tavr", "qZt5")},
                                  {0x80444556, std::string(8, '\0')}},
                                 "Netatalk        ");
  auto info = FinderInfoFromAppleDouble(blob);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->Type(), "Tavr");
  EXPECT_FALSE(ResourceForkFromAppleDouble(blob).has_value());
}

TEST(MacMetadataTest, MetadataNames) {
  EXPECT_TRUE(IsSidecarName("._doc"));
  EXPECT_TRUE(IsSidecarName("._"));
  EXPECT_FALSE(IsSidecarName("_.doc"));
  EXPECT_FALSE(IsSidecarName(".doc"));
  EXPECT_TRUE(IsMetadataName("__MACOSX"));
  EXPECT_TRUE(IsMetadataName(".AppleDouble"));
  EXPECT_TRUE(IsMetadataName("._x"));
  EXPECT_FALSE(IsMetadataName("__macosx"));
  EXPECT_FALSE(IsMetadataName(".DS_Store"));
}

TEST(MacMetadataTest, AttributeNames) {
  auto a = AttributeNames::From({"user.xdg.origin.url", "user.DosStream.AFP_AfpInfo:$DATA",
                                 "com.apple.ResourceFork", "user.org.netatalk.Metadata"});
  EXPECT_FALSE(a.finderInfo);
  EXPECT_TRUE(a.resourceFork);
  EXPECT_TRUE(a.netatalkMetadata);
  EXPECT_FALSE(a.netatalkResourceFork);
  EXPECT_TRUE(a.afpInfo);
  EXPECT_FALSE(a.afpResource);
  EXPECT_TRUE(a.Any());
  EXPECT_FALSE(AttributeNames::From({"user.other"}).Any());
}

// ------------------------------------------- The real sidecars (see README)

namespace {

struct Expected {
  const char* file;
  bool finder;
  const char* type;
  const char* creator;
  std::uint16_t flags;
  bool fork;
};

}  // namespace

TEST(MacMetadataTest, RealSidecarsReadAsTheirReadmeSays) {
  const std::string gshkType("p\xB3\xDB\x07", 4);
  const Expected expected[] = {
      {"._Release.Notes", true, "TEXT", "pdos", 0, false},
      {"._gshk.docs", true, "TEXT", "pdos", 0, true},
      {"._GSHK", true, gshkType.c_str(), "pdos", 0, false},
      {"._not_adf", false, "", "", 0, false},
      {"SillyBalls.AppleDouble", true, "APPL", "abcd", 0x0100, true},
      {"DirectoryWithAttrs.AppleDouble", true, nullptr, nullptr, 0x2008, false},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.file);
    const std::string bytes = test_mac::Fixture(e.file);
    auto info = FinderInfoFromAppleDouble(bytes);
    ASSERT_EQ(info.has_value(), e.finder);
    if (info) {
      if (e.type) {
        EXPECT_EQ(info->Type(), std::string(e.type, 4));
      }
      if (e.creator) {
        EXPECT_EQ(info->Creator(), e.creator);
      }
      EXPECT_EQ(info->Flags(), e.flags);
    }
    EXPECT_EQ(ResourceForkFromAppleDouble(bytes).has_value(), e.fork);
  }
}

TEST(MacMetadataTest, ReadFromCarriersInOrder) {
  test_mac::TempDir dir;
  const auto first = dir / "._first";
  const auto second = dir / "._second";
  // First sidecar: zero Finder info and the placeholder fork (both absent).
  test_mac::WriteFile(first, test_mac::MacOsSidecarBytes(std::string(32, '\0')));
  test_mac::WriteFile(second, test_mac::MacOsSidecarBytes(test_mac::FinderInfoBytes("Tavr", "qZt5"),
                                                          test_mac::WPosFork()));
  Carriers carriers;
  carriers.item = dir / "doc";
  carriers.appleDoubleFiles = {dir / "missing", test_mac::FixturePath("._not_adf"), first, second};
  auto info = ReadFinderInfo(carriers);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->Creator(), "qZt5");
  auto fork = ReadResourceFork(carriers);
  ASSERT_TRUE(fork.has_value());
  EXPECT_EQ(fork->GetResource("WPos", 128), "30\t60\t700\t500");

  carriers.appleDoubleFiles = {first};
  EXPECT_FALSE(ReadFinderInfo(carriers).has_value());
  EXPECT_FALSE(ReadResourceFork(carriers).has_value());
  carriers.appleDoubleFiles = {test_mac::FixturePath("._GSHK"), second};
  EXPECT_EQ(ReadFinderInfo(carriers)->Creator(), "pdos") << "the first Finder info wins";
  EXPECT_TRUE(ReadResourceFork(carriers).has_value()) << "a fork that does not parse is none";
}

// ---------------------------------------------------------------- ByteReader

TEST(ByteReaderTest, ReadsBigEndian) {
  const std::string bytes("\x01\x02\x03\x04\xFF\xFE\x05hello", 12);
  ByteReader r(bytes);
  EXPECT_EQ(r.U16(), 0x0102);
  EXPECT_EQ(r.Position(), 2u);
  r.Seek(0);
  EXPECT_EQ(r.U32(), 0x01020304u);
  EXPECT_EQ(r.I16(), -2);
  EXPECT_EQ(r.PString(), "hello");
  EXPECT_TRUE(r.AtEnd());
  r.Seek(1);
  EXPECT_EQ(r.U24(), 0x020304u);
  r.Seek(4);
  EXPECT_EQ(r.I32(), static_cast<std::int32_t>(0xFFFE0568));
}

TEST(ByteReaderTest, ReadPastTheEndThrowsWithOffsetAndKeepsPosition) {
  ByteReader r(std::string_view("\x00\x01\x02", 3), 100);
  r.Skip(2);
  try {
    r.U16();
    FAIL() << "no ReadError";
  } catch (const ReadError& e) {
    EXPECT_EQ(e.offset(), 102u);
  }
  EXPECT_EQ(r.Position(), 2u);
  EXPECT_THROW(r.Bytes(2), ReadError);
  EXPECT_THROW(r.Skip(5), ReadError);
  EXPECT_THROW(r.Seek(4), ReadError);
  EXPECT_THROW(r.Bytes(UINT64_MAX), ReadError);
  EXPECT_EQ(r.U8(), 2);
}

TEST(ByteReaderTest, PStringLongerThanTheDataThrows) {
  ByteReader r(
      std::string_view("\x05"
                       "abc",
                       4));
  EXPECT_THROW(r.PString(), ReadError);
  EXPECT_EQ(r.Position(), 0u);
}

TEST(ByteReaderTest, SubAndStaticReads) {
  const std::string bytes = "0123456789";
  ByteReader r(bytes, 1000);
  ByteReader sub = r.Sub(4, 3);
  EXPECT_EQ(sub.String(3), "456");
  EXPECT_THROW(sub.U8(), ReadError);
  EXPECT_THROW(r.Sub(8, 3), ReadError);
  EXPECT_THROW(r.Sub(UINT64_MAX, 2), ReadError);
  EXPECT_FALSE(ByteReader::U32At(bytes, 7).has_value());
  EXPECT_EQ(ByteReader::U32At(bytes, 6).value(), 0x36373839u);
  EXPECT_EQ(ByteReader::U16At(bytes, 0).value(), 0x3031);
  EXPECT_EQ(ByteReader::BytesAt(bytes, 8, 2).value(), "89");
  EXPECT_FALSE(ByteReader::BytesAt(bytes, 9, 2).has_value());
  EXPECT_FALSE(ByteReader::Fits(10, 11, 0));
  EXPECT_TRUE(ByteReader::Fits(10, 10, 0));
  EXPECT_FALSE(ByteReader::Fits(10, 2, UINT64_MAX));
}
