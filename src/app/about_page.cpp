#include "app/about_page.h"

#include "win/program.h"

void AboutPage::OnHomePageButton() const { ui::OpenWebAddress("http://" + makerAddress_); }
