// Splitting the addresses HttpGet is given.
#include "text/http_url.h"

#include <gtest/gtest.h>

namespace {

TEST(HttpUrl, SplitsHostPortAndObject) {
  struct Case {
    const char* url;
    const char* host;
    int port;
    const char* object;
    bool secure;
  };
  const Case cases[] = {
      {"http://127.0.0.1:18610/?keyword=%E4&field=all", "127.0.0.1", 18610, "/?keyword=%E4&field=all", false},
      {"http://lyrics.example/lrc/1.lrc", "lyrics.example", 80, "/lrc/1.lrc", false},
      {"HTTP://Host-1_a.example", "Host-1_a.example", 80, "/", false},
      {"http://h:8080", "h", 8080, "/", false},
      {"http://h?x=1", "h", 80, "/?x=1", false},
      {"http://h/a#frag", "h", 80, "/a", false},
      {"http://h#frag", "h", 80, "/", false},
      {"http://h:1/", "h", 1, "/", false},
      {"http://h:65535/p q", "h", 65535, "/p q", false},
      {"http://h/\xd6\xd0.lrc", "h", 80, "/\xd6\xd0.lrc", false},
      {"https://localhost/new.exe", "localhost", 443, "/new.exe", true},
      {"HTTPS://h:8443?x", "h", 8443, "/?x", true},
      {"http://lyricz.example/~a", "lyricz.example", 80, "/~a", false},
  };
  for (const Case& c : cases) {
    const std::optional<HttpUrl> u = ParseHttpUrl(c.url);
    ASSERT_TRUE(u) << c.url;
    EXPECT_EQ(u->host, c.host) << c.url;
    EXPECT_EQ(u->port, c.port) << c.url;
    EXPECT_EQ(u->object, c.object) << c.url;
    EXPECT_EQ(u->secure, c.secure) << c.url;
  }
}

TEST(HttpUrl, RefusesWhatIsNoHttpAddress) {
  const char* const refused[] = {
      "",
      "http://",
      "http:///path",
      "http://:80/",
      "https://",
      "https:/h/",
      "https://h:0/",
      "httpss://h/",
      "ftp://h/",
      "/lrc/1.lrc",
      "lrc/1.lrc",
      "//h/x",
      " http://h/",
      "http://h:0/",
      "http://h:65536/",
      "http://h:/",
      "http://h:8x/",
      "http://h:123456/",
      "http://user@h/",
      "http://h/a\r\nX-Evil: 1",
      "http://h/a\tb",
      "http://h\x7f/",
      "http://h\xd6\xd0/",
      "http://[::1]:80/",
      "http://h/a\x7F" "b",
      "http://h/a\x1F" "b",
      "http://h:8.0/",
      "http://h:000080/",
  };
  for (const char* url : refused) EXPECT_FALSE(ParseHttpUrl(url)) << url;
}

TEST(HttpUrl, HostSettingsGetTheirScheme) {
  EXPECT_EQ(WithScheme("127.0.0.1:18610"), "http://127.0.0.1:18610");
  EXPECT_EQ(WithScheme("https://lyrics.example"), "https://lyrics.example");
  EXPECT_EQ(WithScheme("HTTP://h:1"), "HTTP://h:1");
}

}  // namespace

TEST(HttpUrl, OnlyHttpsAddressesArePagesToShow) {
  const struct {
    const char* setting;
    bool shown;
  } rows[] = {{"https://www.maker.cn/", true}, {"HTTPS://www.maker.cn/about?x=1", true}, {"https://h:8443", true},
              {"", false}, {"http://www.maker.cn/", false}, {"www.maker.cn", false}, {"https://", false},
              {"https://h:0/", false}, {"https://h/\r\nX: y", false}, {"file:///C:/page.html", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.setting);
    const auto shown = SecurePageAddress(row.setting);
    EXPECT_EQ(shown.has_value(), row.shown);
    if (shown) {
      EXPECT_EQ(*shown, row.setting);
    }
  }
}
