// The signed manifest of the update page: its canonical text, the version comparison and
// the order of the checks (the signature itself is checked under Wine with CryptoAPI).
#include "update/update_manifest.h"

#include <gtest/gtest.h>

#include <string>

#include "text/encoding.h"

namespace {

using namespace update_manifest;

const std::string kDigest = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
const std::string kDigestUpper = "9F86D081884C7D659A2FEAA0C55AD015A3BF4F1B2B0B822CD15D6C15B0F00A08";

const char kToday[] = "2026-06-01";
const char kAddress[] = "http://h/RavoNew.exe";

// The switches and address before the manifest, as the page holds them.
std::string Section(const std::string& version, const std::string& name, const std::string& size,
                    const std::string& sha256, const std::string& signature, const std::string& expiry = "2026-12-31",
                    const std::string& force = "是", const std::string& address = kAddress) {
  return "是否强制更新=" + force + "</p>是否提示更新=否</p>自动更新地址=" + address + "</p>新版本号=" + version +
         "</p>程序名字=" + name + "</p>文件大小=" + size + "</p>文件SHA256=" + sha256 + "</p>有效期至=" + expiry +
         "</p>数字签名=" + signature + "</p>";
}

TEST(UpdateManifest, CanonicalTextIsProductAndEightValues) {
  const auto m = ReadManifest(Section("3.5.12", "字幕器 v3.6.exe", "1048576", kDigest, "00ff"));
  ASSERT_TRUE(m);
  EXPECT_EQ(CanonicalText(*m), enc::EncodeCodePage("Ravo字幕器\n3.5.12\n字幕器 v3.6.exe\n1048576\n" + kDigest +
                                                       "\n是\n否\n" + kAddress + "\n2026-12-31\n",
                                                   enc::kGbk));
  // A switch or address left out is signed as empty.
  const auto bare = ReadManifest("新版本号=3.5.12</p>程序名字=a.exe</p>文件大小=1</p>文件SHA256=" + kDigest +
                                 "</p>有效期至=2026-12-31</p>数字签名=00</p>");
  ASSERT_TRUE(bare);
  EXPECT_EQ(CanonicalText(*bare),
            enc::EncodeCodePage("Ravo字幕器\n3.5.12\na.exe\n1\n" + kDigest + "\n\n\n\n2026-12-31\n", enc::kGbk));
  EXPECT_EQ(CanonicalText(*m).rfind("Ravo\xD7\xD6\xC4\xBB\xC6\xF7\n", 0), 0u) << "the product name is GBK";
  EXPECT_EQ(m->sizeBytes, 1048576);
  EXPECT_EQ(m->digest[0], 0x9f);
  EXPECT_EQ(m->digest[31], 0x08);
  EXPECT_EQ(m->signature, std::string("\x00\xff", 2));
}

TEST(UpdateManifest, VersionsCompareByNumbers) {
  struct Case {
    const char *candidate, *running;
    bool parses, newer;
  };
  const Case cases[] = {
      {"3.5.2", "3.5.1", true, true},     {"3.5.1", "3.5.1", true, false},   {"3.5.0", "3.5.1", true, false},
      {"3.5.10", "3.5.9", true, true},    {"3.6.0", "3.5.99", true, true},   {"4.0.0", "3.99.99", true, true},
      {"2.99.99", "3.5.1", true, false},  {"03.5.2", "3.5.1", true, true},   {"3.5", "3.5.1", false, false},
      {"3.5.1.1", "3.5.1", false, false}, {"3.5.x", "3.5.1", false, false},  {"3..1", "3.5.1", false, false},
      {" 3.5.2", "3.5.1", false, false},  {"3.5.123456", "3.5.1", false, false}, {"", "3.5.1", false, false},
      {"99999.0.99999", "3.5.1", true, true},
  };
  for (const Case& c : cases) {
    const auto candidate = ParseVersion(c.candidate);
    EXPECT_EQ(candidate.has_value(), c.parses) << c.candidate;
    if (candidate) {
      EXPECT_EQ(IsNewer(*candidate, *ParseVersion(c.running)), c.newer) << c.candidate;
    }
  }
}

// Each case changes one thing of a manifest whose signature the stand-in verifier accepts
// only over the canonical text of the good one.
TEST(UpdateManifest, ChecksInOrderAndRefusesEachFault) {
  const std::string good = Section("3.5.9", "RavoNew.exe", "5242880", kDigest, "a1b2");
  const std::string goodText = CanonicalText(*ReadManifest(good));
  int verified = 0;
  const SignatureCheck verify = [&](std::string_view text, std::string_view signature) {
    ++verified;
    return text == goodText && signature == "\xa1\xb2";
  };
  const Version running{3, 5, 1};
  struct Case {
    const char* what;
    std::string section;
    bool trusted;
    int verifications;  // whether the signature was looked at
  };
  const Case cases[] = {
      {"good", good, true, 1},
      {"other size", Section("3.5.9", "RavoNew.exe", "5242881", kDigest, "a1b2"), false, 1},
      {"other name", Section("3.5.9", "RavoOld.exe", "5242880", kDigest, "a1b2"), false, 1},
      {"other signature", Section("3.5.9", "RavoNew.exe", "5242880", kDigest, "a1b3"), false, 1},
      {"no signature", Section("3.5.9", "RavoNew.exe", "5242880", kDigest, ""), false, 0},
      {"odd signature", Section("3.5.9", "RavoNew.exe", "5242880", kDigest, "a1b"), false, 0},
      {"signature not hex", Section("3.5.9", "RavoNew.exe", "5242880", kDigest, "a1bg"), false, 0},
      {"digest too short", Section("3.5.9", "RavoNew.exe", "5242880", kDigest.substr(1), "a1b2"), false, 0},
      {"digest too long", Section("3.5.9", "RavoNew.exe", "5242880", kDigest + "00", "a1b2"), false, 0},
      {"digest not hex", Section("3.5.9", "RavoNew.exe", "5242880", "g" + kDigest.substr(1), "a1b2"), false, 0},
      {"size not a number", Section("3.5.9", "RavoNew.exe", "5 MB", kDigest, "a1b2"), false, 0},
      {"size empty", Section("3.5.9", "RavoNew.exe", "", kDigest, "a1b2"), false, 0},
      {"no version", Section("", "RavoNew.exe", "5242880", kDigest, "a1b2"), false, 0},
      {"no name", Section("3.5.9", "", "5242880", kDigest, "a1b2"), false, 0},
      // The longest forms read, and one step beyond them refused before the signature.
      {"4096-bit signature", Section("3.5.9", "RavoNew.exe", "5242880", kDigest, std::string(1024, 'a')), false, 1},
      {"signature too long", Section("3.5.9", "RavoNew.exe", "5242880", kDigest, std::string(1026, 'a')), false, 0},
      {"size of 12 digits", Section("3.5.9", "RavoNew.exe", "999999999999", kDigest, "a1b2"), false, 1},
      {"size of 13 digits", Section("3.5.9", "RavoNew.exe", "1000000000000", kDigest, "a1b2"), false, 0},
      {"upper-case digest", Section("3.5.9", "RavoNew.exe", "5242880", kDigestUpper, "a1b2"), false, 1},
      {"upper-case signature", Section("3.5.9", "RavoNew.exe", "5242880", kDigest, "A1B2"), true, 1},
      // The switches, the address and the expiry are signed; a page past its expiry holds no more.
      {"changed force flag", Section("3.5.9", "RavoNew.exe", "5242880", kDigest, "a1b2", "2026-12-31", "否"), false, 1},
      {"changed address",
       Section("3.5.9", "RavoNew.exe", "5242880", kDigest, "a1b2", "2026-12-31", "是", "http://evil/x.exe"), false, 1},
      {"changed expiry", Section("3.5.9", "RavoNew.exe", "5242880", kDigest, "a1b2", "2027-12-31"), false, 1},
      {"expired", Section("3.5.9", "RavoNew.exe", "5242880", kDigest, "a1b2", "2026-05-31"), false, 1},
      {"no expiry: signed the old way", Section("3.5.9", "RavoNew.exe", "5242880", kDigest, "a1b2", ""), false, 0},
      {"expiry no date", Section("3.5.9", "RavoNew.exe", "5242880", kDigest, "a1b2", "2026-13-01"), false, 0},
      {"address with a line break",
       Section("3.5.9", "RavoNew.exe", "5242880", kDigest, "a1b2", "2026-12-31", "是", "http://h/\n"), false, 0},
  };
  for (const Case& c : cases) {
    verified = 0;
    EXPECT_EQ(TrustedManifest(c.section, verify, running, kToday).has_value(), c.trusted) << c.what;
    EXPECT_EQ(verified, c.verifications) << c.what;
  }
  // Validly signed but not newer than the running build: refused after the signature.
  const SignatureCheck any = [&](std::string_view, std::string_view) { return ++verified, true; };
  verified = 0;
  EXPECT_FALSE(TrustedManifest(Section("3.5.1", "RavoNew.exe", "1", kDigest, "00"), any, running, kToday));
  EXPECT_FALSE(TrustedManifest(Section("3.4.99", "RavoNew.exe", "1", kDigest, "00"), any, running, kToday));
  EXPECT_EQ(verified, 2);
  // Validly signed and newer, but a name that is a path: refused.
  EXPECT_FALSE(TrustedManifest(Section("3.5.2", "..\\RavoNew.exe", "1", kDigest, "00"), any, running, kToday));
  EXPECT_FALSE(TrustedManifest(Section("3.5.2", "nul.exe", "1", kDigest, "00"), any, running, kToday));
  EXPECT_TRUE(TrustedManifest(Section("3.5.2", "RavoNew.exe", "1", kDigest, "00"), any, running, kToday));
  // The page holds through its last day.
  EXPECT_TRUE(TrustedManifest(Section("3.5.2", "RavoNew.exe", "1", kDigest, "00", kToday), any, running, kToday));
  EXPECT_FALSE(TrustedManifest(Section("3.5.2", "RavoNew.exe", "1", kDigest, "00", kToday), any, running, "2026-06-02"));
}

TEST(UpdateManifest, DatesAreYearMonthDay) {
  for (const char* date : {"2026-01-01", "2026-12-31", "0000-01-01", "9999-12-31"}) EXPECT_TRUE(IsDate(date)) << date;
  for (const char* date : {"", "2026-1-01", "2026-00-10", "2026-13-10", "2026-01-00", "2026-01-32", "2026/01/01",
                           "2026-01-01 ", "20260101", "２０２６-01-01"})
    EXPECT_FALSE(IsDate(date)) << date;
}

}  // namespace
