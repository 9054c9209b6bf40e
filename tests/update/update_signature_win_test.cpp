// The update's checks with the system's CryptoAPI and signatures made by openssl (through
// scripts/sign-update.sh): the page's manifest must verify, name a newer version, and the
// downloaded file must have its size and SHA-256, or nothing takes the final name.
#include "text/encoding.h"
#include "update/update_signature.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "update/downloader.h"
#include "update/update_host_standin.h"
#include "support/download_ended.h"
#include "support/win_test_support.h"
#include "win/file_bytes.h"

namespace {

using update_manifest::Manifest;

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  return at == std::string::npos ? std::string() : text.replace(at, from.size(), to);
}

std::string WithoutLineOf(const std::string& text, const std::string& key) {
  const size_t at = text.find(key);
  if (at == std::string::npos) return {};
  const size_t start = text.rfind('\n', at);
  const size_t end = text.find('\n', at);
  return text.substr(0, start == std::string::npos ? 0 : start + 1) + text.substr(end + 1);
}

// Downloads served from a stand-in host as the update does, with the manifest's check
// before the final name. Returns the folder's files afterwards.
std::vector<std::string> DownloadChecked(const Manifest& manifest, const std::string& served) {
  TempFolder source, target;
  StandInHost host({"--serve", "new.exe=" + UnixPathOf(source.Write("new.exe", served))});
  if (!host.Running()) return {"(no host)"};
  const DownloadEnded ended;
  Downloader downloader;
  DownloadTask task;
  task.url = host.Url("/files/new.exe");
  task.savePath = target.Path() + "\\" + manifest.name;
  task.connections = 3;
  task.events = DownloadEnded::Events();
  task.checkFile = [manifest](void* file) { return update_signature::OpenFileMatchesManifest(file, manifest); };
  std::vector<std::string> files;
  if (downloader.Start(task) && ended.Wait(30000)) {
    for (const std::string& name : FilesIn(target.Path())) {
      files.push_back(name);
      if (ReadFileBytes(target.Path() + "\\" + name) != served) files.back() += " (other bytes)";
    }
  } else {
    files.push_back("(the download never ended)");
  }
  return files;
}

TEST(UpdateSignature, ManifestAndDownloadAreCheckedWithCryptoApi) {
  TempFolder work;
  const std::string program = RandomBytes(300000, 7);
  work.Write("RavoNew.exe", program);
  const std::string dir = UnixPathOf(work.Path());
  const std::string sign = "bash " RAVO_SOURCE_DIR "/scripts/sign-update.sh RavoNew.exe ";
  const std::string fields = " --address http://h/RavoNew.exe --expires 2099-12-31";
  const std::string gbk = fields + " | iconv -f UTF-8 -t GBK > ";
  const std::string expired = " --address http://h/RavoNew.exe --expires 2026-05-31 | iconv -f UTF-8 -t GBK > ";
  std::string script = "exec 2>/dev/null; cd '" + dir + "' && openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out a.pem" +
                       " && openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out b.pem" +
                       " && openssl rsa -in a.pem -noout -modulus > a.mod" + " && " + sign + "3.5.9 a.pem" + gbk +
                       "a-3.5.9" + " && " + sign + "3.5.1 a.pem" + gbk + "a-3.5.1" + " && " + sign +
                       "3.4.99 a.pem" + gbk + "a-3.4.99" + " && " + sign + "3.5.9 b.pem" + gbk + "b-3.5.9" + " && " + sign +
                       "3.5.9 a.pem" + expired + "a-expired";
  const std::string buildKey = RAVO_UPDATE_SIGNING_KEY;
  if (!buildKey.empty()) script += " && " + sign + "3.5.9 '" + buildKey + "'" + gbk + "built-in";
  ASSERT_TRUE(RunLinuxShell(script)) << "openssl or sign-update.sh failed";

  const std::string modulusLine = ReadFileBytes(work.Path() + "\\a.mod");
  ASSERT_EQ(modulusLine.rfind("Modulus=", 0), 0u) << modulusLine;
  const std::string keyA = update_signature::RsaPublicKeyBlob(modulusLine.substr(8, 512), 65537);
  ASSERT_EQ(keyA.size(), 20u + 256u);
  // The signed lines are GBK, as a page holds them; the manifest reads the page's text.
  const auto page = [&](const char* name) { return enc::DecodeCodePage(ReadFileBytes(work.Path() + "\\" + name), enc::kGbk); };
  const std::string good = page("a-3.5.9");
  ASSERT_NE(good.find("程序名字=RavoNew.exe</p>"), std::string::npos) << good;
  ASSERT_NE(good.find("文件大小=300000</p>"), std::string::npos) << good;
  std::string flipped = program;
  flipped[123456] ^= 0x01;

  struct Case {
    const char* what;
    std::string page;
    std::string key;
    std::string served;
    bool trusted;
    bool taken;  // the download got its final name
  };
  std::vector<Case> cases = {
      {"valid", good, keyA, program, true, true},
      {"flipped byte in the file", good, keyA, flipped, true, false},
      {"one byte more in the file", good, keyA, program + "x", true, false},
      {"wrong key", page("b-3.5.9"), keyA, program, false, false},
      {"changed size", Replaced(good, "文件大小=300000", "文件大小=300001"), keyA, program + "x", false, false},
      {"changed version", Replaced(good, "新版本号=3.5.9", "新版本号=3.5.19"), keyA, program, false, false},
      {"same version as running", page("a-3.5.1"), keyA, program, false, false},
      {"older version", page("a-3.4.99"), keyA, program, false, false},
      {"missing signature", WithoutLineOf(good, "数字签名="), keyA, program, false, false},
      {"signature of another text", Replaced(good, "程序名字=RavoNew.exe", "程序名字=RavoNeu.exe"), keyA, program,
       false, false},
      // The switches, the address and the expiry are signed too.
      {"changed force flag", Replaced(good, "是否强制更新=否", "是否强制更新=是"), keyA, program, false, false},
      {"changed prompt flag", Replaced(good, "是否提示更新=否", "是否提示更新=是"), keyA, program, false, false},
      {"changed address", Replaced(good, "自动更新地址=http://h/", "自动更新地址=http://evil/"), keyA, program, false,
       false},
      {"expired", page("a-expired"), keyA, program, false, false},
  };
  if (!buildKey.empty())
    cases.push_back({"the build's own key", page("built-in"),
                     update_signature::BuiltInKeyBlob(), program, true, true});

  const update_manifest::Version running{3, 5, 1};
  for (const Case& c : cases) {
    ASSERT_FALSE(c.page.empty()) << c.what;
    const std::string key = c.key;
    const auto verify = [&key](std::string_view text, std::string_view signature) {
      return update_signature::VerifySignature(key, text, signature);
    };
    const std::optional<Manifest> manifest = update_manifest::TrustedManifest(c.page, verify, running, "2026-06-01");
    EXPECT_EQ(manifest.has_value(), c.trusted) << c.what;
    if (!manifest) continue;  // the update never starts: nothing is fetched
    const std::vector<std::string> files = DownloadChecked(*manifest, c.served);
    EXPECT_EQ(files, c.taken ? std::vector<std::string>{"RavoNew.exe"} : std::vector<std::string>{}) << c.what;
  }
}

TEST(UpdateSignature, DigestOfFileIsSha256AndSize) {
  TempFolder work;
  const std::string empty = work.Write("empty", "");
  const std::string abc = work.Write("abc", "abc");
  const auto e = update_signature::DigestOfFile(empty);
  const auto a = update_signature::DigestOfFile(abc);
  ASSERT_TRUE(e && a);
  EXPECT_EQ(e->size, 0);
  EXPECT_EQ(a->size, 3);
  const auto hex = [](const update_manifest::Sha256& d) {
    std::string s;
    for (uint8_t b : d) s += "0123456789abcdef"[b >> 4], s += "0123456789abcdef"[b & 15];
    return s;
  };
  EXPECT_EQ(hex(e->sha256), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(hex(a->sha256), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_FALSE(update_signature::DigestOfFile(work.Path() + "\\missing"));
}

}  // namespace
