// Handlers bound in the event table whose features are not in the program yet.
#include "app/handlers.h"
#include "online/update_check.h"

