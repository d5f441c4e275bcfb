#include "tools/devsim/ControlCommands.h"

#include "tools/devsim/HexText.h"

#include <cerrno>
#include <cstdlib>
#include <json/writer.h>
#include <optional>
#include <sstream>
#include <vector>

namespace devsim {

namespace {

std::optional<unsigned long> Number(const std::string& text, unsigned long max)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long v = std::strtoul(text.c_str(), &end, 0);
    if (*end != '\0' || errno != 0 || v > max || text[0] == '-')
        return std::nullopt;
    return v;
}

std::string Result(bool ok, const CDeviceSimulator& sim)
{
    return ok ? "ok" : "error: " + sim.LastError();
}

std::string OneLine(const Json::Value& v)
{
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return Json::writeString(builder, v);
}

// Fills the options after the fault's own value; false on an unknown or bad option.
bool ParseFaultOptions(const std::vector<std::string>& w, size_t from, Fault& f, std::string& error)
{
    for (size_t i = from; i < w.size(); i += 2) {
        if (i + 1 >= w.size()) {
            error = "option " + w[i] + " needs a value";
            return false;
        }
        const std::string& key = w[i];
        const auto value = Number(w[i + 1], 0xFFFFFFFFul);
        if (!value) {
            error = "bad number " + w[i + 1];
            return false;
        }
        if (key == "cmd" && *value <= 0xFF)
            f.command = static_cast<uint8_t>(*value);
        else if (key == "offset" && *value <= 0xFFFF)
            f.offset = static_cast<uint16_t>(*value);
        else if (key == "skip")
            f.skip = static_cast<uint32_t>(*value);
        else if (key == "count")
            f.count = static_cast<uint32_t>(*value);
        else if (key == "times" && *value >= 1 && *value <= 2)
            f.repeats = static_cast<uint8_t>(*value);
        else {
            error = "bad option " + key + " " + w[i + 1];
            return false;
        }
    }
    return true;
}

} // namespace

std::string CControlCommands::Execute(const std::string& line, bool& quit)
{
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string word; in >> word;)
        w.push_back(word);
    if (w.empty())
        return "";
    const std::string& verb = w[0];
    const size_t n = w.size();
    auto usage = [](const char* text) { return std::string("error: usage: ") + text; };

    if (verb == "quit") {
        quit = true;
        return "ok";
    }
    if (verb == "help") {
        std::string text =
            "commands: list plug unplug link online press battery fault clear dump memory poke "
            "save load quit; faults:";
        for (const char* kind : FaultKindNames())
            text += std::string(" ") + kind;
        return text;
    }
    if (verb == "list") {
        std::string text;
        for (const std::string& name : sim_.DeviceNames())
            text += (text.empty() ? "" : " ") + name + (sim_.IsPlugged(name) ? "=plugged" : "=unplugged");
        return text.empty() ? "(none)" : text;
    }
    if (verb == "plug" || verb == "unplug") {
        if (n != 2)
            return usage("plug|unplug NAME");
        return Result(verb == "plug" ? sim_.Plug(w[1]) : sim_.Unplug(w[1]), sim_);
    }
    if (verb == "link") {
        if (n != 3 || (w[2] != "cable" && w[2] != "receiver"))
            return usage("link NAME cable|receiver");
        return Result(sim_.SwitchLink(w[1], w[2] == "cable" ? LinkChoice::Cable : LinkChoice::Receiver),
                      sim_);
    }
    if (verb == "online") {
        if (n != 3 || (w[2] != "on" && w[2] != "off"))
            return usage("online RECEIVER on|off");
        return Result(sim_.SetOnline(w[1], w[2] == "on"), sim_);
    }
    if (verb == "press") {
        const auto code = n == 3 ? Number(w[2], 0xFFFF) : std::nullopt;
        if (!code)
            return usage("press NAME CODE");
        return Result(sim_.PressButton(w[1], static_cast<uint16_t>(*code)), sim_);
    }
    if (verb == "battery") {
        const auto level = n >= 3 && n <= 4 ? Number(w[2], 100) : std::nullopt;
        const auto state = n == 4 ? Number(w[3], 2) : std::optional<unsigned long>(2);
        if (!level || !state)
            return usage("battery NAME LEVEL(0-100) [STATE(0-2)]");
        return Result(sim_.SetBattery(w[1], static_cast<uint8_t>(*level), static_cast<uint8_t>(*state)),
                      sim_);
    }
    if (verb == "fault") {
        const auto kind = n >= 3 ? FaultKindFromName(w[2]) : std::nullopt;
        if (!kind)
            return usage("fault NAME delay MS|drop|other BYTE|status BYTE|vanish|checksum [cmd C] [offset N] "
                         "[skip N] [count N]");
        Fault f;
        f.kind = *kind;
        size_t options = 3;
        if (*kind == FaultKind::Delay || *kind == FaultKind::OtherCommand || *kind == FaultKind::Status) {
            const auto value =
                n >= 4 ? Number(w[3], *kind == FaultKind::Delay ? 600000 : 0xFF) : std::nullopt;
            if (!value)
                return usage("fault NAME delay MS | other BYTE | status BYTE");
            if (*kind == FaultKind::Delay)
                f.delayMs = static_cast<uint32_t>(*value);
            else
                f.value = static_cast<uint8_t>(*value);
            options = 4;
        }
        std::string error;
        if (!ParseFaultOptions(w, options, f, error))
            return "error: " + error;
        return Result(sim_.AddFault(w[1], f), sim_);
    }
    if (verb == "clear") {
        if (n != 2)
            return usage("clear NAME");
        return Result(sim_.ClearFaults(w[1]), sim_);
    }
    if (verb == "dump") {
        if (n != 2)
            return usage("dump NAME");
        const Json::Value dump = sim_.Dump(w[1]);
        return dump.isNull() ? "error: unknown device " + w[1] : OneLine(dump);
    }
    if (verb == "memory" || verb == "poke") {
        const auto region = n >= 3 ? RegionFromName(w[2]) : std::nullopt;
        if (!region || (verb == "memory" && n != 3) || (verb == "poke" && n != 5))
            return usage("memory NAME REGION | poke NAME REGION OFFSET HEX");
        if (!sim_.HasDevice(w[1]))
            return "error: unknown device " + w[1];
        if (verb == "memory")
            return ToHex(sim_.ReadMemory(w[1], *region));
        const auto offset = Number(w[3], 0xFFFF);
        const auto bytes = FromHex(w[4]);
        if (!offset || !bytes)
            return usage("poke NAME REGION OFFSET HEX");
        return Result(sim_.WriteMemory(w[1], *region, *offset, *bytes), sim_);
    }
    if (verb == "save" || verb == "load") {
        if (n != 2)
            return usage("save|load FILE");
        return Result(verb == "save" ? sim_.SaveState(w[1]) : sim_.LoadState(w[1]), sim_);
    }
    return "error: unknown command " + verb;
}

} // namespace devsim
