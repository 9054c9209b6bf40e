// Splitting the addresses HttpGetBytes is given.
#include "text/http_url.h"

#include <gtest/gtest.h>

namespace {

TEST(HttpUrl, SplitsHostPortAndObject) {
  struct Case {
    const char* url;
    const char* host;
    int port;
    const char* object;
  };
  const Case cases[] = {
      {"http://127.0.0.1:18610/?keyword=%E4&field=all", "127.0.0.1", 18610, "/?keyword=%E4&field=all"},
      {"http://lyrics.example/lrc/1.lrc", "lyrics.example", 80, "/lrc/1.lrc"},
      {"HTTP://Host-1_a.example", "Host-1_a.example", 80, "/"},
      {"http://h:8080", "h", 8080, "/"},
      {"http://h?x=1", "h", 80, "/?x=1"},
      {"http://h/a#frag", "h", 80, "/a"},
      {"http://h#frag", "h", 80, "/"},
      {"http://h:1/", "h", 1, "/"},
      {"http://h:65535/p q", "h", 65535, "/p q"},
      {"http://h/\xd6\xd0.lrc", "h", 80, "/\xd6\xd0.lrc"},
  };
  for (const Case& c : cases) {
    const std::optional<HttpUrl> u = ParseHttpUrl(c.url);
    ASSERT_TRUE(u) << c.url;
    EXPECT_EQ(u->host, c.host) << c.url;
    EXPECT_EQ(u->port, c.port) << c.url;
    EXPECT_EQ(u->object, c.object) << c.url;
  }
}

TEST(HttpUrl, RefusesWhatIsNoPlainHttpAddress) {
  const char* const refused[] = {
      "",
      "http://",
      "http:///path",
      "http://:80/",
      "https://h/",
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
  };
  for (const char* url : refused) EXPECT_FALSE(ParseHttpUrl(url)) << url;
}

}  // namespace
