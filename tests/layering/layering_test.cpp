// The core's folders depend on each other in one direction only: a file includes headers of its
// own layer or of lower ones (src/1-link up to src/5-app), and no chain of includes between the
// folders comes back to where it started.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace zelkon {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = fs::path(ZELKON_SOURCE_DIR) / "src";

// "4-features/decode" for src/4-features/decode/timing.cpp.
std::string FolderOf(const fs::path& file) {
  const fs::path relative = fs::relative(file.parent_path(), kSource);
  return relative.generic_string();
}

// The layer folder ("1-link") whose include root holds `header`, or "" for any other header.
std::string LayerHolding(const std::string& header) {
  for (const auto& layer : fs::directory_iterator(kSource)) {
    if (fs::exists(layer.path() / header)) return layer.path().filename().string();
  }
  return "";
}

// Folder -> the folders its files include headers from.
std::map<std::string, std::set<std::string>> FolderIncludes() {
  static const std::regex include(R"(^\s*#\s*include\s+"([^"]+)\")");
  std::map<std::string, std::set<std::string>> graph;
  for (const auto& entry : fs::recursive_directory_iterator(kSource)) {
    if (!entry.is_regular_file()) continue;
    const std::string extension = entry.path().extension().string();
    if (extension != ".h" && extension != ".cpp") continue;
    const std::string from = FolderOf(entry.path());
    graph[from];
    std::ifstream in(entry.path());
    std::string line;
    std::smatch match;
    while (std::getline(in, line)) {
      if (!std::regex_search(line, match, include)) continue;
      const std::string header = match[1];
      const std::string layer = LayerHolding(header);
      if (layer.empty()) continue;
      const std::string to = FolderOf(kSource / layer / header);
      if (to != from) graph[from].insert(to);
    }
  }
  return graph;
}

std::string LayerOf(const std::string& folder) { return folder.substr(0, folder.find('/')); }

TEST(Layering, NoFolderIncludesFromAHigherLayer) {
  const auto graph = FolderIncludes();
  ASSERT_GE(graph.size(), 10u);  // the scan found the core
  for (const auto& [from, targets] : graph) {
    for (const std::string& to : targets) {
      EXPECT_LE(LayerOf(to), LayerOf(from)) << from << " includes from " << to;
    }
  }
}

// The metrics endpoint's HTTP server (net/), the remote ports (remote/) and the time daemon's feeds
// (timefeed/) are linked by the program only: no file of the core includes one of their headers or
// their libraries'.
TEST(Layering, TheCoreIncludesNothingOfTheHttpServerTheRemotePortsOrTheTimeFeeds) {
  std::set<std::string> netHeaders;
  for (const char* folder : {"net", "remote", "timefeed"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(ZELKON_SOURCE_DIR) / folder)) {
      if (entry.path().extension() == ".h") netHeaders.insert(entry.path().filename().string());
    }
  }
  ASSERT_TRUE(netHeaders.contains("device_port.h") && netHeaders.contains("metrics_server.h") &&
              netHeaders.contains("daemon_feeds.h"));
  static const std::regex include(R"(^\s*#\s*include\s+[<"]([^">]+)[">])");
  for (const auto& entry : fs::recursive_directory_iterator(kSource)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path());
    std::string line;
    std::smatch match;
    while (std::getline(in, line)) {
      if (!std::regex_search(line, match, include)) continue;
      const std::string header = fs::path(match[1].str()).filename().string();
      EXPECT_FALSE(netHeaders.contains(header) || header == "microhttpd.h" ||
                   match[1].str().starts_with("gensio/"))
          << entry.path().generic_string() << " includes " << match[1];
    }
  }
}

TEST(Layering, NoChainOfIncludesBetweenFoldersComesBack) {
  const auto graph = FolderIncludes();
  enum class Mark { Unseen, OnPath, Done };
  std::map<std::string, Mark> marks;
  std::vector<std::string> path;
  std::vector<std::string> cycle;
  const std::function<bool(const std::string&)> visit = [&](const std::string& folder) {
    marks[folder] = Mark::OnPath;
    path.push_back(folder);
    for (const std::string& next : graph.at(folder)) {
      if (marks[next] == Mark::OnPath) {
        cycle.assign(std::find(path.begin(), path.end(), next), path.end());
        cycle.push_back(next);
        return true;
      }
      if (marks[next] == Mark::Unseen && visit(next)) return true;
    }
    path.pop_back();
    marks[folder] = Mark::Done;
    return false;
  };
  for (const auto& [folder, targets] : graph) {
    if (marks[folder] == Mark::Unseen && visit(folder)) break;
  }
  std::string shown;
  for (const std::string& folder : cycle)
    shown += (shown.empty() ? "" : " -> ") + folder;
  EXPECT_TRUE(cycle.empty()) << "folder cycle: " << shown;
}

}  // namespace
}  // namespace zelkon
