#include "platform/SettingsStore.h"

#include "platform/AtomicFile.h"
#include "platform/Folders.h"
#include "platform/PercentText.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

constexpr std::string_view kHeader = "; ORVANT X80 PRO settings";
constexpr std::string_view kStringTag = "string:";
constexpr std::string_view kIntTag = "dword:";

struct Value
{
    std::string name;
    bool isInt = false;
    std::string text;
    uint32_t number = 0;
};

struct Key
{
    std::string path;
    std::vector<Value> values;
};

using Document = std::vector<Key>;

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// "a//b/" and "\a\b" both become "a\b".
std::string NormalKey(std::string_view key)
{
    std::string out;
    for (char c : key) {
        const bool separator = c == '\\' || c == '/';
        if (!separator) {
            out += c;
        } else if (!out.empty() && out.back() != '\\') {
            out += '\\';
        }
    }
    if (!out.empty() && out.back() == '\\') {
        out.pop_back();
    }
    return out;
}

std::optional<Value> ParseValue(std::string_view line)
{
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    std::optional<std::string> name = PercentDecode(line.substr(0, equals));
    std::string_view rest = line.substr(equals + 1);
    Value value;
    if (!name) {
        return std::nullopt;
    }
    value.name = std::move(*name);
    if (rest.starts_with(kIntTag)) {
        rest.remove_prefix(kIntTag.size());
        value.isInt = true;
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value.number);
        if (rest.empty() || error != std::errc() || end != rest.data() + rest.size()) {
            return std::nullopt;
        }
        return value;
    }
    if (rest.starts_with(kStringTag)) {
        std::optional<std::string> text = PercentDecode(rest.substr(kStringTag.size()));
        if (!text) {
            return std::nullopt;
        }
        value.text = std::move(*text);
        return value;
    }
    return std::nullopt;
}

// The document in the text; empty when any line is damaged.
Document Parse(const std::string& content)
{
    std::istringstream in(content);
    std::string line;
    if (!std::getline(in, line) || line != kHeader) {
        return {};
    }
    Document doc;
    while (std::getline(in, line)) {
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            std::optional<std::string> path =
                PercentDecode(std::string_view(line).substr(1, line.size() - 2));
            if (!path) {
                return {};
            }
            doc.push_back(Key{NormalKey(*path), {}});
            continue;
        }
        std::optional<Value> value = ParseValue(line);
        if (!value || doc.empty()) {
            return {};
        }
        doc.back().values.push_back(std::move(*value));
    }
    return doc;
}

std::string Format(const Document& doc)
{
    std::string out = std::string(kHeader) + "\n";
    for (const Key& key : doc) {
        out += "[" + PercentEncode(key.path, "]") + "]\n";
        for (const Value& value : key.values) {
            out += PercentEncode(value.name, "=[") + "=";
            out += value.isInt ? std::string(kIntTag) + std::to_string(value.number)
                               : std::string(kStringTag) + PercentEncode(value.text, "");
            out += "\n";
        }
    }
    return out;
}

Document Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Parse(std::string(std::istreambuf_iterator<char>(in), {}));
}

Key* FindKey(Document& doc, std::string_view key)
{
    const std::string path = NormalKey(key);
    for (Key& candidate : doc) {
        if (SameName(candidate.path, path)) {
            return &candidate;
        }
    }
    return nullptr;
}

Value* FindValue(Document& doc, std::string_view key, std::string_view name)
{
    Key* found = FindKey(doc, key);
    if (found == nullptr) {
        return nullptr;
    }
    for (Value& value : found->values) {
        if (SameName(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

Key& KeyFor(Document& doc, std::string_view key)
{
    if (Key* found = FindKey(doc, key)) {
        return *found;
    }
    doc.push_back(Key{NormalKey(key), {}});
    return doc.back();
}

Value& ValueFor(Document& doc, std::string_view key, std::string_view name)
{
    if (Value* found = FindValue(doc, key, name)) {
        return *found;
    }
    Key& owner = KeyFor(doc, key);
    Value value;
    value.name = std::string(name);
    owner.values.push_back(std::move(value));
    return owner.values.back();
}

std::mutex& StoreLock()
{
    static std::mutex lock;
    return lock;
}

// Holds the store lock and the file lock (shared for reading, exclusive for changes) for one call.
class FileGuard
{
public:
    FileGuard(const std::string& path, bool exclusive) : guard_(StoreLock())
    {
        const size_t slash = path.find_last_of('/');
        if (exclusive && slash != std::string::npos) {
            MakeFolders(path.substr(0, slash + 1));
        }
        fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            while (::flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0 && errno == EINTR) {
            }
        }
    }
    ~FileGuard()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileGuard(const FileGuard&) = delete;
    FileGuard& operator=(const FileGuard&) = delete;

private:
    std::lock_guard<std::mutex> guard_;
    int fd_ = -1;
};

// Reads the document, lets change edit it, writes it back when change answers true.
bool Change(const std::string& path, const std::function<bool(Document&)>& change)
{
    FileGuard guard(path, true);
    Document doc = Load(path);
    if (!change(doc)) {
        return false;
    }
    return WriteFileAtomically(path, Format(doc));
}

template <typename Result>
std::optional<Result> Read(const std::string& path,
                           const std::function<std::optional<Result>(Document&)>& read)
{
    FileGuard guard(path, false);
    Document doc = Load(path);
    return read(doc);
}

} // namespace

SettingsStore::SettingsStore() : SettingsStore(SettingsFolder() + "settings.ini") {}

SettingsStore::SettingsStore(std::string filePath) : path_(std::move(filePath)) {}

bool SettingsStore::KeyExists(std::string_view key) const
{
    return Read<bool>(path_,
                      [&](Document& doc) -> std::optional<bool> { return FindKey(doc, key) != nullptr; })
        .value_or(false);
}

std::optional<std::string> SettingsStore::GetString(std::string_view key, std::string_view name) const
{
    return Read<std::string>(path_, [&](Document& doc) -> std::optional<std::string> {
        const Value* value = FindValue(doc, key, name);
        if (value == nullptr || value->isInt) {
            return std::nullopt;
        }
        return value->text;
    });
}

std::optional<uint32_t> SettingsStore::GetInt(std::string_view key, std::string_view name) const
{
    return Read<uint32_t>(path_, [&](Document& doc) -> std::optional<uint32_t> {
        const Value* value = FindValue(doc, key, name);
        if (value == nullptr || !value->isInt) {
            return std::nullopt;
        }
        return value->number;
    });
}

bool SettingsStore::CreateKey(std::string_view key)
{
    return Change(path_, [&](Document& doc) {
        KeyFor(doc, key);
        return true;
    });
}

bool SettingsStore::SetString(std::string_view key, std::string_view name, std::string_view text)
{
    return Change(path_, [&](Document& doc) {
        Value& value = ValueFor(doc, key, name);
        value.isInt = false;
        value.text = std::string(text);
        return true;
    });
}

bool SettingsStore::SetInt(std::string_view key, std::string_view name, uint32_t number)
{
    return Change(path_, [&](Document& doc) {
        Value& value = ValueFor(doc, key, name);
        value.isInt = true;
        value.text.clear();
        value.number = number;
        return true;
    });
}

bool SettingsStore::DeleteValue(std::string_view key, std::string_view name)
{
    return Change(path_, [&](Document& doc) {
        Key* owner = FindKey(doc, key);
        if (owner == nullptr) {
            return false;
        }
        return std::erase_if(owner->values, [&](const Value& value) { return SameName(value.name, name); }) >
               0;
    });
}

} // namespace platform
