#pragma once
// Shared helpers of the profile data tests: a scratch folder per test, fixture copies and whole-file
// reads, so that each test states only the documents it is about.

#include <json/json.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace profiletest {

inline std::string FixturePath(const std::string& name)
{
    return std::string(ORVANT_TEST_SOURCE_DIR) + "/fixtures/profiledata/" + name;
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline Json::Value ParseText(const std::string& text)
{
    Json::Value value;
    Json::Reader reader;
    EXPECT_TRUE(reader.parse(text, value)) << text;
    return value;
}

inline Json::Value ReadJson(const std::string& path)
{
    return ParseText(ReadText(path));
}

// A fresh folder under the temporary folder, removed with the test.
class ScratchFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string base = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
        std::string pattern = base + "/profiledata-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_folder = pattern + "/";
    }
    void TearDown() override
    {
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }

    std::string Path(const std::string& name) const { return m_folder + name; }
    // Copies a fixture into the scratch folder and returns the copy's path.
    std::string CopyFixture(const std::string& fixture, const std::string& name)
    {
        const std::string target = Path(name);
        std::filesystem::copy_file(FixturePath(fixture), target,
                                   std::filesystem::copy_options::overwrite_existing);
        return target;
    }
    std::string Folder() const { return m_folder; }

private:
    std::string m_folder;
};

} // namespace profiletest
