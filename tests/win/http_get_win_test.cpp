// HttpGet against the stand-in lyrics site: what goes out, and what comes
// back for error statuses, broken transfers and hosts that refuse or never answer.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/lyrics_site.h"
#include "win/http_get.h"

namespace {

class HttpGetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    catalogue.Add("bin.lrc", "s", "song", std::string("a\0b\r\n\xff\xfe", 7));
    ASSERT_TRUE(site.Running()) << "the stand-in lyrics site did not start";
  }
  SiteCatalogue catalogue;
  LyricsSite site{&catalogue};
};

TEST_F(HttpGetTest, SendsOneHttp10GetWithTheFixedHeaders) {
  EXPECT_EQ(HttpGet(site.Base() + "/lrc/bin.lrc?x=1", kSitePageMaxBytes).body, std::string("a\0b\r\n\xff\xfe", 7));
  const std::vector<std::vector<std::string>> requests = site.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::vector<std::string>& lines = requests[0];
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "GET /lrc/bin.lrc?x=1 HTTP/1.0");
  std::vector<std::string> accept, agent, host;
  bool cookie = false;
  for (const std::string& line : lines) {
    if (line.rfind("Accept:", 0) == 0) accept.push_back(line);
    if (line.rfind("User-Agent:", 0) == 0) agent.push_back(line);
    if (line.rfind("Host:", 0) == 0) host.push_back(line);
    if (line.rfind("Cookie:", 0) == 0) cookie = true;
  }
  EXPECT_EQ(accept, std::vector<std::string>{"Accept: */*"});
  EXPECT_EQ(agent, std::vector<std::string>{"User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"});
  EXPECT_EQ(host, std::vector<std::string>{"Host: " + site.Host()});
  EXPECT_FALSE(cookie);
}

TEST_F(HttpGetTest, ReturnsTheBodyWhateverTheStatusAndThePartOfABrokenTransfer) {
  struct Case {
    const char* path;
    unsigned status;
    std::string body;
    bool complete;
  };
  const Case cases[] = {
      {"/status/404", 404, "status 404 body\n", true},
      {"/status/500", 500, "status 500 body\n", true},
      {"/cut/15", 200, "012345678901234", false},
      {"/cut/0", 200, "", false},
      {"/slow/1500", 200, "slow answer after 1500 ms\n", true},
      {"/lrc/bin.lrc", 200, std::string("a\0b\r\n\xff\xfe", 7), true},
  };
  for (const Case& c : cases) {
    const HttpResult r = HttpGet(site.Base() + c.path, kSitePageMaxBytes);
    EXPECT_EQ(r.status, c.status) << c.path;
    EXPECT_EQ(r.body, c.body) << c.path;
    EXPECT_EQ(r.complete, c.complete) << c.path;
  }
}

// A body up to the limit is read whole; a longer one, announced or endless, is a failed
// fetch, read no further than the limit.
TEST_F(HttpGetTest, ABodyOverItsLimitIsAFailedFetch) {
  const size_t limit = 100000;
  const struct {
    std::string path;
    unsigned status;
    size_t bytes;
  } cases[] = {
      {"/big/100000", 200, limit},
      {"/big/100001", 0, 0},
      {"/endless", 0, 0},
  };
  for (const auto& c : cases) {
    const HttpResult r = HttpGet(site.Base() + c.path, limit);
    EXPECT_EQ(r.status, c.status) << c.path;
    EXPECT_EQ(r.body.size(), c.bytes) << c.path;
    EXPECT_EQ(r.complete, c.bytes > 0) << c.path;
  }
  // The tool's own limit for a lyric file holds against an endless one too.
  const HttpResult lyric = HttpGet(site.Base() + "/endless", kLyricFileMaxBytes);
  EXPECT_EQ(lyric.status, 0u);
  EXPECT_EQ(lyric.body, "");
}

TEST_F(HttpGetTest, GivesEmptyBytesForAddressesItDoesNotFetch) {
  const std::string refused = "http://127.0.0.1:" + std::to_string(site.RefusedPort()) + "/x.lrc";
  const std::string silent = "http://127.0.0.1:" + std::to_string(site.SilentPort()) + "/x.lrc";
  ASSERT_NE(site.RefusedPort(), 0);
  ASSERT_NE(site.SilentPort(), 0);
  struct Case {
    const char* what;
    std::string url;
  };
  const Case cases[] = {
      {"refused port", refused},
      {"silent port: ends by the receive time-out", silent},
      {"empty address", ""},
      {"relative link", "/lrc/bin.lrc"},
      {"another scheme", "ftp://127.0.0.1:" + std::to_string(site.Port()) + "/lrc/bin.lrc"},
      {"a header smuggled into the address", site.Base() + "/lrc/bin.lrc\r\nX-Evil: 1"},
  };
  for (const Case& c : cases) {
    const DWORD start = GetTickCount();
    const HttpResult r = HttpGet(c.url, kSitePageMaxBytes);
    std::printf("  %-45s %5lu ms\n", c.what, static_cast<unsigned long>(GetTickCount() - start));
    EXPECT_EQ(r.status, 0u) << c.what;
    EXPECT_EQ(r.body, "") << c.what;
    EXPECT_FALSE(r.complete) << c.what;
  }
  EXPECT_TRUE(site.Requests().empty()) << "none of these may reach the site";
}

// The deadline ends the wait before WinInet's own time-out would.
TEST_F(HttpGetTest, StopsWaitingAtTheDeadline) {
  const std::string silent = "http://127.0.0.1:" + std::to_string(site.SilentPort()) + "/x.lrc";
  ASSERT_NE(site.SilentPort(), 0);
  const DWORD start = GetTickCount();
  const HttpResult atDeadline = HttpGet(silent, kSitePageMaxBytes, 1000);
  const DWORD deadlineMs = GetTickCount() - start;
  std::printf("  deadline 1000 ms: back after %lu ms\n", static_cast<unsigned long>(deadlineMs));
  EXPECT_EQ(atDeadline.status, 0u);
  EXPECT_EQ(atDeadline.body, "");
  EXPECT_LT(deadlineMs, kHttpReceiveTimeoutMs) << "the wait outlasted the deadline";
}

}  // namespace
