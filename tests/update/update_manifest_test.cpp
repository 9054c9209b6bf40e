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

std::string Section(const std::string& version, const std::string& name, const std::string& size,
                    const std::string& sha256, const std::string& signature) {
  return "是否强制更新=是</p>新版本号=" + version + "</p>程序名字=" + name + "</p>文件大小=" + size +
         "</p>文件SHA256=" + sha256 + "</p>数字签名=" + signature + "</p>";
}

TEST(UpdateManifest, CanonicalTextIsProductAndFourValues) {
  const auto m = ReadManifest(Section("3.5.12", "字幕器 v3.6.exe", "1048576", kDigest, "00ff"));
  ASSERT_TRUE(m);
  EXPECT_EQ(CanonicalText(*m),
            enc::EncodeCodePage("Ravo字幕器\n3.5.12\n字幕器 v3.6.exe\n1048576\n" + kDigest + "\n", enc::kGbk));
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
  };
  for (const Case& c : cases) {
    verified = 0;
    EXPECT_EQ(TrustedManifest(c.section, verify, running).has_value(), c.trusted) << c.what;
    EXPECT_EQ(verified, c.verifications) << c.what;
  }
  // Validly signed but not newer than the running build: refused after the signature.
  const SignatureCheck any = [&](std::string_view, std::string_view) { return ++verified, true; };
  verified = 0;
  EXPECT_FALSE(TrustedManifest(Section("3.5.1", "RavoNew.exe", "1", kDigest, "00"), any, running));
  EXPECT_FALSE(TrustedManifest(Section("3.4.99", "RavoNew.exe", "1", kDigest, "00"), any, running));
  EXPECT_EQ(verified, 2);
  // Validly signed and newer, but a name that is a path: refused.
  EXPECT_FALSE(TrustedManifest(Section("3.5.2", "..\\RavoNew.exe", "1", kDigest, "00"), any, running));
  EXPECT_FALSE(TrustedManifest(Section("3.5.2", "nul.exe", "1", kDigest, "00"), any, running));
  EXPECT_TRUE(TrustedManifest(Section("3.5.2", "RavoNew.exe", "1", kDigest, "00"), any, running));
}

}  // namespace
