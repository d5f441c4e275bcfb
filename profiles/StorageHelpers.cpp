#include "profiles/StorageHelpers.h"

#include "platform/AtomicFile.h"
#include "platform/DebugOutput.h"
#include "platform/Folders.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <sys/stat.h>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// A Windows-spelled path ("...\Keyboard\file.Json") names the same file with '/' when that folder
// exists; otherwise the path is taken as given (a Linux name may hold a backslash).
std::string NativePath(const std::string& path)
{
    if (path.find('\\') == std::string::npos) {
        return path;
    }
    std::string converted = path;
    for (char& c : converted) {
        if (c == '\\') {
            c = '/';
        }
    }
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(converted).parent_path();
    if (parent.empty() || std::filesystem::is_directory(parent, error)) {
        return converted;
    }
    return path;
}

// Decodes one UTF-8 sequence at text[pos]; advances pos. Invalid, overlong, surrogate or truncated
// sequences give U+FFFD and consume one byte.
char32_t DecodeOne(std::string_view text, size_t& pos)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + length > text.size()) {
        ++pos;
        return kReplacement;
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += length;
    return value;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = kReplacement;
    }
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Valid UTF-8 for any bytes.
std::string SanitizeUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        AppendUtf8(out, DecodeOne(text, pos));
    }
    return out;
}

bool IsSpace(char32_t c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x3000;
}

struct FileCloser
{
    void operator()(FILE* file) const { std::fclose(file); }
};

} // namespace

std::string GetExecutableFolder()
{
    return platform::ExecutableFolder();
}

std::string GetDefaultDataFolder()
{
    return platform::DefaultDataFolder();
}

std::string GetProductDataFolder()
{
    return platform::ProductDataFolder();
}

std::string GetDeviceFolder(std::string_view deviceFolderName)
{
    return platform::DeviceFolder(deviceFolderName);
}

std::string ReadFileText(const std::string& path)
{
    errno = 0;
    std::unique_ptr<FILE, FileCloser> file(std::fopen(NativePath(path).c_str(), "rb"));
    platform::DebugPrintf("readjsonFile 错误吗：：%d\n", errno);
    if (!file) {
        return {};
    }
    // Only regular files: a folder opens too, but its size means nothing.
    struct stat info
    {
    };
    if (::fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    if (std::fseek(file.get(), 0, SEEK_END) != 0) {
        return {};
    }
    const long size = std::ftell(file.get());
    if (size <= 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
        return {};
    }
    std::string text(static_cast<size_t>(size), '\0');
    if (std::fread(text.data(), 1, text.size(), file.get()) != text.size()) {
        return {};
    }
    return text;
}

Json::Value readjsonFile(const std::string& path)
{
    const std::string text = ReadFileText(path);
    if (text.empty()) {
        platform::DebugOutput(path + "\n");
        return Json::Value();
    }
    std::string_view body = text;
    if (body.substr(0, 3) == "\xEF\xBB\xBF") {
        body.remove_prefix(3);
    }
    Json::Value root;
    try {
        Json::Reader reader;
        if (!reader.parse(body.data(), body.data() + body.size(), root, true)) {
            return Json::Value();
        }
    } catch (const std::exception&) {
        // The reader throws when the nesting is deeper than its limit.
        return Json::Value();
    }
    return root;
}

int writejsonFile(const std::string& path, const Json::Value& value)
{
    Json::StyledWriter writer;
    platform::WriteFileAtomically(NativePath(path), writer.write(value) + "\n");
    return 0;
}

bool IsDamagedDocument(const std::string& path, const Json::Value& asRead)
{
    std::error_code error;
    const std::string native = NativePath(path);
    return !asRead.isObject() && !path.empty() && std::filesystem::is_regular_file(native, error) &&
           std::filesystem::file_size(native, error) > 0 && !error;
}

void KeepDamagedCopy(const std::string& path)
{
    std::error_code error;
    const std::string native = NativePath(path);
    std::filesystem::rename(native, native + ".damaged", error);
}

std::string MakeTimeStampName()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[200];
    std::snprintf(buffer, sizeof buffer, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return buffer;
}

std::string Utf8ToWide(std::string_view utf8)
{
    return SanitizeUtf8(utf8);
}

std::string WideToUtf8(std::string_view wide)
{
    return SanitizeUtf8(wide);
}

std::string WideToAnsi(std::string_view wide)
{
    return SanitizeUtf8(wide);
}

std::string WideToOem(std::string_view wide)
{
    return SanitizeUtf8(wide);
}

std::u32string Utf8ToUtf32(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        out += DecodeOne(utf8, pos);
    }
    return out;
}

std::string Utf32ToUtf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        AppendUtf8(out, c);
    }
    return out;
}

std::string ToHex8(uint32_t value)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out(8, '0');
    for (int i = 7; i >= 0; --i) {
        out[static_cast<size_t>(i)] = kDigits[value & 0xF];
        value >>= 4;
    }
    return out;
}

void RemoveChar(std::string& text, char character)
{
    std::erase(text, character);
}

bool IsBlank(std::string_view text)
{
    for (size_t pos = 0; pos < text.size();) {
        if (!IsSpace(DecodeOne(text, pos))) {
            return false;
        }
    }
    return true;
}

std::string FileTitleOf(std::string_view path)
{
    const size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0) {
        name = name.substr(0, dot);
    }
    return std::string(name);
}

bool SplitNameNumber(std::string_view text, std::string& prefix, int& number)
{
    const size_t underscore = text.find_last_of('_');
    if (underscore == std::string_view::npos) {
        return false;
    }
    prefix.assign(text.substr(0, underscore + 1));
    long long value = 0;
    for (size_t i = underscore + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<long long>(value * 10 + (text[i] - '0'), INT_MAX);
    }
    number = static_cast<int>(value);
    return true;
}
