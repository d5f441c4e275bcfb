#include "tools/msg/MessageLine.h"

#include <cstdio>

namespace msgtool {
namespace {

void AppendHexByte(std::string& out, unsigned char byte)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
}

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            AppendHexByte(out, byte);
        } else {
            out += c;
        }
    }
    return out + "\"";
}

} // namespace

std::string MessageLine(const platform::BusMessage& message)
{
    std::string line;
    if (message.kind == platform::BusMessageKind::Registered) {
        line = "message " + Quoted(message.name) + " " + std::to_string(message.wParam) + " " +
               std::to_string(message.lParam);
    } else {
        line =
            "copydata " + std::to_string(message.copyType) + " " + std::to_string(message.data.size()) + " ";
        for (const char c : message.data) {
            AppendHexByte(line, static_cast<unsigned char>(c));
        }
        if (message.data.empty()) {
            line += "-";
        }
    }
    if (!message.sender.empty()) {
        line += " from " + Quoted(message.sender);
    }
    return line;
}

} // namespace msgtool
