// The fixed start-up and shut-down sequences around the driver: heaps, workspace, runtime
// tables, common controls and COM, console channel; then the end routine, heaps, exit.
#pragma once

void runtime_startup();
[[noreturn]] void runtime_shutdown();
