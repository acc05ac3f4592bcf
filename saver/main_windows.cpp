// The tavrin.scr program: Windows runs it with the mode on its command line.
#include "platform/win32.h"
#include "saver/host.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previousInstance*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
  // The whole line, program name first, as the mode dispatch reads it.
  const int result = ScreenSaverMain(instance, GetCommandLineA());
  // The mode's result is the exit code (-1 is 0xFFFFFFFF; a Unix shell under Wine sees 255).
  ExitProcess(static_cast<UINT>(result));
}
