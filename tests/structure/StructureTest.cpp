// The shape of the source tree: every arrow points into the core, the
// game's rules include no toolkit, sound or controller library, no two
// folders include each other in a circle, and every library declares the
// libraries whose headers it includes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kSrc = fs::path(ZARVEX_SOURCE_DIR) / "src";

std::string readFile(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The folder a file belongs to, as the libraries split them: "core",
// "battle", ..., with "platform/qt" and "audio/miniaudio" as folders of
// their own. Empty for src/main.cpp.
std::string folderOf(const fs::path& relative) {
    const fs::path dir = relative.parent_path();
    return dir.generic_string();
}

struct Source {
    fs::path relative;  // to src/
    std::vector<std::string> quoted;  // #include "..."
    std::vector<std::string> angled;  // #include <...>
};

// The name in `#include "name"` or `#include <name>`, and which it was.
bool parseInclude(const std::string& line, std::string& name, bool& quoted) {
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] != '#') return false;
    i = line.find_first_not_of(" \t", i + 1);
    if (i == std::string::npos || line.compare(i, 7, "include") != 0) return false;
    i = line.find_first_not_of(" \t", i + 7);
    if (i == std::string::npos || (line[i] != '"' && line[i] != '<')) return false;
    quoted = line[i] == '"';
    const std::size_t end = line.find(quoted ? '"' : '>', i + 1);
    if (end == std::string::npos) return false;
    name = line.substr(i + 1, end - i - 1);
    return true;
}

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Headers of Qt ("QWidget", "QtCore/qglobal.h") and of SDL.
bool isQtHeader(const std::string& h) { return !h.empty() && h[0] == 'Q'; }
bool isSdlHeader(const std::string& h) { return startsWith(h, "SDL"); }

std::vector<Source> sources() {
    std::vector<Source> out;
    for (const auto& entry : fs::recursive_directory_iterator(kSrc)) {
        if (!entry.is_regular_file()) continue;
        const std::string ext = entry.path().extension().string();
        if (ext != ".h" && ext != ".cpp" && ext != ".c") continue;
        Source s;
        s.relative = fs::relative(entry.path(), kSrc);
        std::istringstream lines(readFile(entry.path()));
        std::string line, name;
        bool quoted = false;
        while (std::getline(lines, line))
            if (parseInclude(line, name, quoted)) (quoted ? s.quoted : s.angled).push_back(name);
        out.push_back(std::move(s));
    }
    return out;
}

// The folder a quoted include names, or empty for a file beside the
// includer (the miniaudio folder's own header).
std::string includedFolder(const std::string& include) {
    const auto slash = include.rfind('/');
    return slash == std::string::npos ? std::string() : include.substr(0, slash);
}

bool isGameFolder(const std::string& folder) {
    return folder != "platform/qt" && folder != "audio/miniaudio" && folder != "platform/sdl" && !folder.empty();
}

// Folder -> folders it includes from.
std::map<std::string, std::set<std::string>> folderGraph() {
    std::map<std::string, std::set<std::string>> graph;
    for (const Source& s : sources()) {
        const std::string from = folderOf(s.relative);
        if (from.empty()) continue;
        graph[from];
        for (const std::string& inc : s.quoted) {
            const std::string to = includedFolder(inc);
            if (!to.empty() && to != from) graph[from].insert(to);
        }
    }
    return graph;
}

}  // namespace

TEST(Structure, TheCoreIncludesNothingOutsideItself) {
    for (const Source& s : sources()) {
        if (folderOf(s.relative) != "core") continue;
        for (const std::string& inc : s.quoted)
            EXPECT_EQ(includedFolder(inc), "core") << s.relative << " includes " << inc;
        for (const std::string& inc : s.angled)
            EXPECT_EQ(inc.find('/'), std::string::npos) << s.relative << " includes <" << inc << ">";
    }
}

TEST(Structure, TheGamesRulesIncludeNoToolkitSoundOrControllerLibrary) {
    for (const Source& s : sources()) {
        const std::string folder = folderOf(s.relative);
        if (!isGameFolder(folder)) continue;
        for (const std::string& inc : s.angled)
            EXPECT_FALSE(isQtHeader(inc) || isSdlHeader(inc) || startsWith(inc, "miniaudio"))
                << s.relative << " includes <" << inc << ">";
        for (const std::string& inc : s.quoted)
            EXPECT_TRUE(isGameFolder(includedFolder(inc))) << s.relative << " includes " << inc;
    }
}

// The desktop (Qt) and the game controllers (SDL) know each other only
// through the platform folder's own interface: either can be replaced, and
// neither library's headers leak into the other.
TEST(Structure, TheDesktopAndTheControllersMeetOnlyThroughThePlatformFolder) {
    for (const Source& s : sources()) {
        const std::string folder = folderOf(s.relative);
        if (folder != "platform/qt" && folder != "platform/sdl") continue;
        const std::string other = folder == "platform/qt" ? "platform/sdl" : "platform/qt";
        for (const std::string& inc : s.quoted)
            EXPECT_NE(includedFolder(inc), other) << s.relative << " includes " << inc;
        for (const std::string& inc : s.angled)
            EXPECT_FALSE(folder == "platform/qt" ? isSdlHeader(inc) : isQtHeader(inc))
                << s.relative << " includes <" << inc << ">";
    }
}

TEST(Structure, NoFoldersIncludeEachOtherInACircle) {
    const auto graph = folderGraph();
    std::map<std::string, int> state;  // 0 new, 1 on the path, 2 done
    std::vector<std::string> path;
    std::function<void(const std::string&)> visit = [&](const std::string& f) {
        state[f] = 1;
        path.push_back(f);
        const auto it = graph.find(f);
        if (it != graph.end())
            for (const std::string& to : it->second) {
                if (state[to] == 1) {
                    std::string circle;
                    for (const std::string& p : path) circle += p + " -> ";
                    ADD_FAILURE() << "include circle: " << circle << to;
                } else if (state[to] == 0) {
                    visit(to);
                }
            }
        path.pop_back();
        state[f] = 2;
    };
    for (const auto& [folder, _] : graph)
        if (state[folder] == 0) visit(folder);
}

TEST(Structure, EveryLibraryDeclaresWhatItIncludes) {
    // zarvex_library(name SOURCES src/<folder>/*.cpp ... DEPS lib ...)
    const std::string cmake = readFile(fs::path(ZARVEX_SOURCE_DIR) / "CMakeLists.txt");
    std::map<std::string, std::string> libraryOfFolder;
    std::map<std::string, std::set<std::string>> deps;
    const std::string call = "zarvex_library(";
    for (std::size_t at = cmake.find(call); at != std::string::npos; at = cmake.find(call, at + 1)) {
        const std::size_t close = cmake.find(')', at);
        if (close == std::string::npos) break;
        std::istringstream words(cmake.substr(at + call.size(), close - at - call.size()));
        std::string name, w;
        words >> name;
        if (name == "name") continue;  // the function's own definition
        bool inDeps = false;
        while (words >> w) {
            if (w == "DEPS") {
                inDeps = true;
            } else if (inDeps) {
                if (w.rfind("zarvex_", 0) == 0) deps[name].insert(w);
            } else if (w.rfind("src/", 0) == 0) {
                libraryOfFolder[fs::path(w.substr(4)).parent_path().generic_string()] = name;
            }
        }
    }
    ASSERT_FALSE(libraryOfFolder.empty());
    // Everything a library reaches through its declared libraries.
    std::function<void(const std::string&, std::set<std::string>&)> reach = [&](const std::string& lib,
                                                                                 std::set<std::string>& out) {
        for (const std::string& d : deps[lib])
            if (out.insert(d).second) reach(d, out);
    };
    for (const auto& [from, tos] : folderGraph()) {
        const auto lib = libraryOfFolder.find(from);
        ASSERT_NE(lib, libraryOfFolder.end()) << "src/" << from << " belongs to no library";
        std::set<std::string> reachable;
        reach(lib->second, reachable);
        for (const std::string& to : tos) {
            const auto target = libraryOfFolder.find(to);
            ASSERT_NE(target, libraryOfFolder.end()) << "src/" << to << " belongs to no library";
            if (target->second == lib->second) continue;
            EXPECT_TRUE(reachable.count(target->second))
                << lib->second << " (src/" << from << ") includes src/" << to << " but does not link "
                << target->second;
        }
    }
}
