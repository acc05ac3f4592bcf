#include "saver/usage.h"

// In step with the README's table of the ways to start tavrin and with the tavrin(1) page.
const char* const TavrinUsage =
    "usage: tavrin [MODE]\n"
    "Tavrin, a picture-and-sound screen saver. MODE is one of:\n"
    "\n"
    "  /s (also -s, s, /S)    the full-screen show; a second start brings the first\n"
    "                         to the front\n"
    "  /p ID, /l ID           the show inside X window ID (decimal or 0x...)\n"
    "  --window-id ID         the same, as XScreenSaver's preview starts it\n"
    "  -root (also --root)    the show inside $XSCREENSAVER_WINDOW (the root window\n"
    "                         when unset), as XScreenSaver starts it\n"
    "  /c, or none            the settings dialog (exit code 1 after OK, 0 after\n"
    "                         Cancel)\n"
    "  /a                     change password: nothing on Linux (exit code 255)\n"
    "  --help, -h, /?         print this text\n"
    "  --version              print the version\n"
    "\n"
    "Any other mode, and a preview of no window, does nothing and exits with 255.\n"
    "SIGTERM, SIGINT and SIGHUP end a show. See tavrin(1).\n";
