// The process entry: no C runtime start-up runs before it, and it never returns.
#include "app/driver.h"
#include "app/startup.h"

extern "C" [[noreturn]] void dirpick_entry() {
  runtime_startup();
  driver_run();
  runtime_shutdown();
}
