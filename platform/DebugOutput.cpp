#include "platform/DebugOutput.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace platform {
namespace {

struct Sink
{
    std::mutex lock;
    int captures = 0;
    std::vector<std::string> captured;
    bool toStderr = std::getenv("ORVANT_DEBUG") != nullptr;
};

Sink& TheSink()
{
    static Sink sink;
    return sink;
}

} // namespace

void DebugOutput(std::string_view text)
{
    Sink& sink = TheSink();
    std::lock_guard<std::mutex> guard(sink.lock);
    if (sink.toStderr) {
        // Each message is one line on the terminal, as a debug viewer shows it, whether or not the
        // caller ended it with a newline.
        std::fwrite(text.data(), 1, text.size(), stderr);
        if (!text.empty() && text.back() != '\n')
            std::fputc('\n', stderr);
    }
    if (sink.captures > 0) {
        sink.captured.emplace_back(text);
    }
}

bool DebugOutputEnabled()
{
    Sink& sink = TheSink();
    std::lock_guard<std::mutex> guard(sink.lock);
    return sink.toStderr || sink.captures > 0;
}

void DebugPrintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(needed > 0 ? static_cast<size_t>(needed) : 0, '\0');
    if (needed > 0) {
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    }
    va_end(args);
    DebugOutput(text);
}

DebugCapture::DebugCapture()
{
    std::lock_guard<std::mutex> guard(TheSink().lock);
    if (TheSink().captures++ == 0) {
        TheSink().captured.clear();
    }
}

DebugCapture::~DebugCapture()
{
    std::lock_guard<std::mutex> guard(TheSink().lock);
    --TheSink().captures;
}

std::vector<std::string> DebugCapture::Pieces() const
{
    std::lock_guard<std::mutex> guard(TheSink().lock);
    return TheSink().captured;
}

std::string DebugCapture::Text() const
{
    std::string all;
    for (const std::string& piece : Pieces()) {
        all += piece;
    }
    return all;
}

bool DebugCapture::Contains(std::string_view text) const
{
    const std::vector<std::string> pieces = Pieces();
    return std::any_of(pieces.begin(), pieces.end(),
                       [&](const std::string& p) { return p.find(text) != std::string::npos; });
}

void DebugCapture::Clear()
{
    std::lock_guard<std::mutex> guard(TheSink().lock);
    TheSink().captured.clear();
}

} // namespace platform
