// The main window's button to the maker's home page.
#include "layout/program_windows.h"
#include "win/program.h"
#include "build_settings.h"

void OpenHomePage() { ui::OpenWebAddress("http://" RAVO_MAKER_ADDRESS); }
