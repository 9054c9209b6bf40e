#include "update/update_page.h"

#include <gtest/gtest.h>

#include <string>

#include "text/encoding.h"

namespace {

using update_page::PlanUpdate;
using update_page::ValueOf;

struct BetweenCase {
  const char* name;
  std::string text, start, end, expected;
};

class UpdateTextBetween : public testing::TestWithParam<BetweenCase> {};

TEST_P(UpdateTextBetween, GivesTheBytesBetweenTheMarkers) {
  const BetweenCase& c = GetParam();
  EXPECT_EQ(TextBetween(c.text, c.start, c.end), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Update, UpdateTextBetween,
    testing::Values(
        BetweenCase{"plain", "a[xyz]b", "[", "]", "xyz"},
        BetweenCase{"first_start_first_end_after_it", "]x[one]two]", "[", "]", "one"},
        BetweenCase{"end_right_after_start_is_empty", "a[]b", "[", "]", ""},
        BetweenCase{"no_end_marker", "a[xyz", "[", "]", ""},
        BetweenCase{"no_start_marker", "a]xyz]", "[", "]", ""},
        BetweenCase{"empty_text", "", "[", "]", ""},
        BetweenCase{"empty_start_marker", "a[b]", "", "]", ""},
        BetweenCase{"multi_byte_markers", "x////开始K=是</p>////结束y", "////开始", "////结束", "K=是</p>"},
        // Markers match at character starts only: the bytes B8 AD stand inside 中 (E4 B8
        // AD), and again after the "]" as two bytes of no character.
        BetweenCase{"no_match_inside_a_character", "中文x", "\xB8\xAD", "x", ""},
        BetweenCase{"end_not_matched_inside_a_character", "[中]\xB8\xAD", "[", "\xB8\xAD", "中]"},
        BetweenCase{"value_kept_untrimmed", "k= 是 </p>", "k=", "</p>", " 是 "}),
    [](const auto& info) { return std::string(info.param.name); });

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

struct PlanCase {
  const char* name;
  std::string page;  // the whole body as served: GBK bytes
  bool openAtOnce, askAfterwards;
  // Why the page brings no trusted manifest (the failure's stage); "" with one.
  const char* why = "";
};

// The host writes the page in GBK.
std::string Gbk(const std::string& text) { return enc::EncodeCodePage(text, enc::kGbk); }

// A manifest whose signature the stand-in verifier below takes for valid ("00"); the
// real signature check is tested under Wine.
const std::string kSigned = "新版本号=3.6.0</p>文件大小=1</p>文件SHA256=" + std::string(64, 'a') +
                            "</p>有效期至=2026-12-31</p>数字签名=00</p>";
std::string Page(const std::string& section, const std::string& manifest = kSigned) {
  return Gbk("<html><body><p>更新说明</p>////开始" + section + manifest + "////结束<p>程序名字=evil.exe</p></body></html>");
}
const std::string kName = "程序名字=RavoNew.exe</p>";
bool SignedWith00(std::string_view, std::string_view signature) { return signature == std::string(1, '\0'); }
update_page::UpdatePage Check(const std::string& page) {
  return update_page::ReadUpdatePage(page, SignedWith00, {3, 5, 1}, "2026-06-01");
}

class UpdatePlanTable : public testing::TestWithParam<PlanCase> {};

// The whole body as the check's worker thread reads it, to what the GUI thread does.
TEST_P(UpdatePlanTable, FollowsTheDecisionTable) {
  const PlanCase& c = GetParam();
  const update_page::UpdatePage page = Check(c.page);
  EXPECT_EQ(page.plan.openAtOnce, c.openAtOnce);
  EXPECT_EQ(page.plan.askAfterwards, c.askAfterwards);
  if (*c.why) {
    ASSERT_TRUE(page.failure);
    EXPECT_STREQ(page.failure->stage, c.why);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Update, UpdatePlanTable,
    testing::Values(
        // The four rows of the decision table.
        PlanCase{"neither", Page("是否强制更新=否</p>是否提示更新=否</p>" + kName), false, false},
        PlanCase{"forced_only", Page("是否强制更新=是</p>是否提示更新=否</p>" + kName), true, false},
        PlanCase{"offered_only", Page("是否提示更新=是</p>是否强制更新=</p>" + kName), false, true},
        PlanCase{"forced_and_offered", Page(kName + "是否强制更新=是</p><br>是否提示更新=是</p>"), true, true},
        // The value must be exactly "是".
        PlanCase{"space_before_yes", Page("是否强制更新= 是</p>" + kName), false, false},
        PlanCase{"yes_with_more", Page("是否强制更新=是的</p>" + kName), false, false},
        PlanCase{"no_value_end", Page(kName + "是否强制更新=是"), false, false},
        PlanCase{"yes_before_a_break", Page("是否强制更新=是<br></p>" + kName), false, false},
        // Keys count only inside the section, and the first occurrence wins.
        PlanCase{"key_after_section_end",
                 Gbk("////开始" + kName + "////结束是否强制更新=是</p>是否提示更新=是</p>"), false, false},
        PlanCase{"key_twice_first_wins", Page("是否强制更新=否</p>" + kName + "是否强制更新=是</p>"), false, false},
        PlanCase{"key_twice_first_yes", Page("是否强制更新=是</p>" + kName + "是否强制更新=否</p>"), true, false},
        PlanCase{"no_section", Gbk("是否强制更新=是</p>是否提示更新=是</p>" + kName), false, false},
        PlanCase{"section_unterminated", Gbk("////开始是否强制更新=是</p>" + kName), false, false},
        PlanCase{"empty_body", "", false, false},
        PlanCase{"cut_at_zero_byte", Gbk(std::string("////开始是否强制更新=是</p>") + '\0' + kName + "////结束"),
                 false, false},
        PlanCase{"zero_byte_before_section",
                 Gbk("<p>x</p>") + '\0' + Page("是否强制更新=是</p>是否提示更新=是</p>" + kName), false, false},
        // The body is read as GBK: the same page in UTF-8 holds none of the markers.
        PlanCase{"utf8_body", "////开始是否强制更新=是</p>是否提示更新=是</p>" + kName + kSigned + "////结束", false,
                 false},
        // A name that cannot be saved and started safely means no update.
        PlanCase{"name_with_folder", Page("是否强制更新=是</p>是否提示更新=是</p>程序名字=..\\x.exe</p>"), false,
                 false, "name"},
        PlanCase{"name_is_device", Page("是否强制更新=是</p>是否提示更新=是</p>程序名字=CONIN$.exe</p>"), false,
                 false},
        PlanCase{"name_missing", Page("是否强制更新=是</p>是否提示更新=是</p>"), false, false},
        // Without a trusted manifest there is no update at all.
        PlanCase{"unsigned", Page("是否强制更新=是</p>是否提示更新=是</p>" + kName, ""), false, false, "manifest"},
        PlanCase{"bad_signature",
                 Page("是否强制更新=是</p>是否提示更新=是</p>" + kName, Replace(kSigned, "数字签名=00", "数字签名=01")),
                 false, false, "signature"},
        PlanCase{"not_newer",
                 Page("是否强制更新=是</p>是否提示更新=是</p>" + kName, Replace(kSigned, "3.6.0", "3.5.1")), false,
                 false, "version"},
        // A page past its expiry, and one signed the old way (no expiry), hold no more.
        PlanCase{"expired",
                 Page("是否强制更新=是</p>是否提示更新=是</p>" + kName, Replace(kSigned, "2026-12-31", "2026-05-31")),
                 false, false, "expiry"},
        PlanCase{"old_signed_form",
                 Page("是否强制更新=是</p>是否提示更新=是</p>" + kName, Replace(kSigned, "有效期至=2026-12-31</p>", "")),
                 false, false, "old signed form"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every value as written, the address and the name untrimmed.
TEST(UpdatePageValues, KeepsTheValuesAsWritten) {
  const std::string section =
      "是否提示更新=是</p>是否强制更新= 是</p>自动更新地址= http://127.0.0.1:1/new.exe </p>" + kName;
  const update_page::UpdatePage page = Check(Page(section));
  EXPECT_EQ(page.section, section + kSigned);
  ASSERT_TRUE(page.manifest);
  EXPECT_FALSE(page.failure);
  EXPECT_EQ(page.manifest->version, "3.6.0");
  EXPECT_EQ(page.forceValue, " 是");
  EXPECT_EQ(page.promptValue, "是");
  EXPECT_EQ(page.downloadAddress, " http://127.0.0.1:1/new.exe ");
  EXPECT_EQ(page.programName, "RavoNew.exe");
  EXPECT_FALSE(page.plan.openAtOnce);
  EXPECT_TRUE(page.plan.askAfterwards);
  EXPECT_EQ(Check(Page("程序名字=new version.exe</p>")).programName, "new version.exe");
}

}  // namespace
