// The about page (page 4 of the main window): its button opens the maker's web site.
#pragma once

#include <string>
#include <utility>

class AboutPage {
 public:
  // host[:port] of the maker's web site, as the build gives it.
  explicit AboutPage(std::string makerAddress) : makerAddress_(std::move(makerAddress)) {}

  // 按钮15.
  void OnHomePageButton() const;

 private:
  std::string makerAddress_;
};
