// Only the skin library and the platform layer may include Qt headers, and the skin library's own
// headers stay free of them, so every layer above builds and tests without Qt.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

namespace {

namespace fs = std::filesystem;

bool IncludesQt(const fs::path& file)
{
    static const std::regex kQtInclude(R"(^\s*#\s*include\s*[<"](Q[A-Za-z]+|Qt[A-Za-z]*/))");
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (std::regex_search(line, kQtInclude))
            return true;
    }
    return false;
}

TEST(QtBoundaryTest, QtStaysInsideTheSkinLibraryAndThePlatformLayer)
{
    const fs::path root = ORVANT_SOURCE_DIR;
    for (const char* layer : {"link", "profiles", "devices", "panels", "audio", "update", "app"}) {
        if (!fs::exists(root / layer))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / layer)) {
            auto ext = entry.path().extension();
            if (ext == ".h" || ext == ".cpp") {
                EXPECT_FALSE(IncludesQt(entry.path())) << entry.path();
            }
        }
    }
    for (const auto& entry : fs::recursive_directory_iterator(root / "dui")) {
        if (entry.path().extension() == ".h") {
            EXPECT_FALSE(IncludesQt(entry.path())) << "public header " << entry.path();
        }
    }
}

} // namespace
