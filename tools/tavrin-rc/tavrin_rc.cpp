// tavrin-rc: converts the dialogs of a resource script into the platform's template tables,
// as a build step.
//
//   tavrin-rc SCRIPT.rc OUTPUT.cpp
//
// A fault in the script is reported as FILE:LINE: message, with exit status 1 and no output
// written, so that a typo fails the build.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "tools/tavrin-rc/rc_script.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: tavrin-rc SCRIPT.rc OUTPUT.cpp\n", stderr);
    return 2;
  }
  const std::filesystem::path script = argv[1];
  const std::filesystem::path output = argv[2];
  std::string source;
  try {
    source = rc::WriteDialogSource(rc::ParseScriptFile(script), script.filename().string());
  } catch (const rc::ScriptError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  // Written beside the output and renamed, so an interrupted build leaves no half a file.
  std::filesystem::path partial = output;
  partial += ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << source;
    if (!out.flush()) {
      std::fprintf(stderr, "tavrin-rc: cannot write %s\n", partial.c_str());
      return 1;
    }
  }
  std::error_code error;
  std::filesystem::rename(partial, output, error);
  if (error) {
    std::fprintf(stderr, "tavrin-rc: cannot write %s: %s\n", output.c_str(),
                 error.message().c_str());
    return 1;
  }
  return 0;
}
