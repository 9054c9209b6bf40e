// The main window's button to the maker's home page.
#include "app/handlers.h"
#include "app/window_layer.h"
#include "build_settings.h"

void OpenHomePage() { ui::OpenWebAddress("http://" RAVO_MAKER_ADDRESS); }
