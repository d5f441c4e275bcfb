#pragma once
// The debug output sink: every diagnostic line of the system goes here. It writes to standard error
// when ORVANT_DEBUG is set, and tests can collect what was written.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Writes one piece of debug text exactly as given (the callers' texts carry their own line ends).
void DebugOutput(std::string_view text);
// True when something reads the sink (standard error or a capture); lets hot paths skip formatting.
bool DebugOutputEnabled();
// printf-style formatting into the sink.
void DebugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Collects everything written to the sink while it is alive (from any thread); for tests.
class DebugCapture
{
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    // Every piece written so far, in order.
    std::vector<std::string> Pieces() const;
    // All pieces joined.
    std::string Text() const;
    // True when some piece contains the text.
    bool Contains(std::string_view text) const;
    void Clear();
};

} // namespace platform
