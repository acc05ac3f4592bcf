#include "platform/program_information.h"

#include <cstdio>
#include <string_view>

namespace platform {

std::optional<int> AnswerInformationRequest(int argc, const char* const* argv, const char* program,
                                            const char* usage) {
  if (argc < 2 || argv[1] == nullptr) return std::nullopt;
  const std::string_view request(argv[1]);
  if (request == "--help" || request == "-h" || request == "/?") {
    std::fputs(usage, stdout);
  } else if (request == "--version") {
    std::printf("%s %s\n", program, TAVRIN_VERSION);
  } else {
    return std::nullopt;
  }
  // A closed or full standard output is a failure the caller should see, as for any output.
  return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? 0 : 1;
}

}  // namespace platform
