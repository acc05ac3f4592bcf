// The tavrin program: the X11 backend, Qt's dialogs and message boxes, then the screen saver.
#include <cstdio>

#include "platform/program_information.h"
#include "platform/qt/qt_dialog_backend.h"
#include "platform/qt/qt_message_box.h"
#include "platform/termination_exit.h"
#include "platform/win32.h"
#include "platform/x11/x11_backend.h"
#include "saver/linux_start.h"
#include "saver/usage.h"

int main(int argc, char** argv) {
  // Usage and version need no display: they are answered before anything opens.
  if (const auto answered = platform::AnswerInformationRequest(argc, argv, "tavrin", TavrinUsage)) {
    return *answered;
  }
  if (!platform::x11::Install()) {
    std::fprintf(stderr, "tavrin: cannot open the X display (is DISPLAY set?)\n");
    return 1;
  }
  platform::qt::InstallDialogToolkit();
  platform::qt::InstallMessageBox();
  const int result = StartFromArguments(argc, argv);
  // A show its caller closed with a signal ends by that signal: the caller sees how it ended.
  TavrinEndByTerminationSignal();
  // The mode's result is the exit code: -1 leaves the process with 255.
  ExitProcess(static_cast<UINT>(result));
}
