// The help viewer: refused with a reason when the page or the viewer is missing or the viewer
// gives up, and started without anything waiting for it otherwise.
#include "platform/help_viewer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <utility>

#include "tests/platform/kernel/temp_config_home.h"

namespace {

class PathScope {
 public:
  explicit PathScope(const std::string& path) {
    const char* old = std::getenv("PATH");
    old_ = old != nullptr ? old : "/usr/bin:/bin";
    setenv("PATH", path.c_str(), 1);
  }
  PathScope(const PathScope&) = delete;
  PathScope& operator=(const PathScope&) = delete;
  ~PathScope() { setenv("PATH", old_.c_str(), 1); }

 private:
  std::string old_;
};

TEST(HelpViewerTest, RefusesWithAReasonOrStartsTheViewerDetached) {
  const TempConfigHome folder;
  const std::string page = folder.Folder() + "/Tavrin.html";
  const std::string bin = folder.Folder() + "/bin";
  const std::string opened = folder.Folder() + "/opened";
  std::ofstream(page) << "<html></html>";
  mkdir(bin.c_str(), 0755);

  std::string problem;
  {
    const PathScope path(bin);  // nothing there yet
    EXPECT_FALSE(platform::OpenInViewer(folder.Folder() + "/missing.html", &problem));
    EXPECT_NE(problem.find("missing.html"), std::string::npos) << problem;
    EXPECT_FALSE(platform::OpenInViewer(page, &problem));
    EXPECT_NE(problem.find("xdg-open"), std::string::npos) << problem;
  }

  // A viewer that gives up at once is reported, with the page and the reason.
  for (const auto& [code, reason] :
       {std::pair{3, "install a web browser"}, std::pair{4, "failed"}, std::pair{1, "code 1"}}) {
    std::ofstream(bin + "/xdg-open", std::ios::trunc)
        << "#!/bin/sh\necho 'xdg-open: no method available' >&2\nexit " << code << "\n";
    chmod((bin + "/xdg-open").c_str(), 0755);
    const PathScope path(bin + ":/bin:/usr/bin");
    EXPECT_FALSE(platform::OpenInViewer(page, &problem)) << code;
    EXPECT_NE(problem.find(page), std::string::npos) << problem;
    EXPECT_NE(problem.find(reason), std::string::npos) << problem;
  }

  // A viewer that stays until the test lets it go: opening returns before it is done.
  const std::string go = folder.Folder() + "/go";
  std::ofstream(bin + "/xdg-open", std::ios::trunc)
      << "#!/bin/sh\nfor i in $(seq 200); do [ -e " << go
      << " ] && break; sleep 0.05; done\necho \"$1\" > " << opened << "\n";
  chmod((bin + "/xdg-open").c_str(), 0755);
  const PathScope path(bin + ":/bin:/usr/bin");
  EXPECT_TRUE(platform::OpenInViewer(page, &problem)) << problem;
  EXPECT_FALSE(std::ifstream(opened).good());
  std::ofstream(go) << "";
  for (int i = 0; i < 300 && !std::ifstream(opened).good(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::string line;
  std::getline(std::ifstream(opened) >> std::ws, line);
  EXPECT_EQ(line, page);
}

}  // namespace
