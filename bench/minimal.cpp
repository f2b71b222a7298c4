// The smallest Windows program: its entry only ends the process. The baseline for start-up.
#include <windows.h>

extern "C" [[noreturn]] void minimal_entry() { ExitProcess(0); }
