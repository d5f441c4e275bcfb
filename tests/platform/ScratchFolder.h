#pragma once
// A fresh temporary folder for one test, removed with everything in it afterwards, plus small file
// helpers, and environment redirections that undo themselves. Header-only so that every test program
// can use it.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace orvant_test {

class ScratchFolder
{
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvant-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern + "/";
        }
    }
    ~ScratchFolder()
    {
        std::error_code error;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, error);
        }
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder, ending in '/'; empty when it could not be made.
    const std::string& Path() const { return path_; }

    // Writes a file below the folder and answers its path.
    std::string Write(const std::string& name, const std::string& content) const
    {
        std::ofstream(path_ + name, std::ios::binary) << content;
        return path_ + name;
    }
    static std::string Slurp(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The names directly inside the folder, sorted.
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path_;
};

// Sets an environment variable for its lifetime, then restores the previous value (or its absence).
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// A fixture whose runtime folder (locks, the message bus) and user data and settings folders are
// scratch folders.
class ScratchRuntimeTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(scratch_.Path().empty()); }

    ScratchFolder scratch_;
    ScopedEnv runtime_{"XDG_RUNTIME_DIR", scratch_.Path()};
    ScopedEnv data_{"XDG_DATA_HOME", scratch_.Path() + "/data"};
    ScopedEnv config_{"XDG_CONFIG_HOME", scratch_.Path() + "/config"};
};

} // namespace orvant_test
