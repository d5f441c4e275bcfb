#include "profiles/JsonFields.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace profiles::json {

const Json::Value& Member(const Json::Value& object, const char* key)
{
    if (!object.isObject()) {
        return Json::Value::nullSingleton();
    }
    const Json::Value* found = object.find(key, key + std::char_traits<char>::length(key));
    return found != nullptr ? *found : Json::Value::nullSingleton();
}

const Json::Value& Element(const Json::Value& array, int64_t index)
{
    if (!array.isArray() || index < 0 || index >= static_cast<int64_t>(array.size())) {
        return Json::Value::nullSingleton();
    }
    return array[static_cast<Json::ArrayIndex>(index)];
}

int64_t ToInteger(const Json::Value& value)
{
    switch (value.type()) {
    case Json::intValue:
        return value.asInt64();
    case Json::uintValue:
        return static_cast<int64_t>(value.asUInt64());
    case Json::realValue: {
        const double real = value.asDouble();
        // Out-of-range and non-finite reals have no integer meaning; clamp rather than overflow.
        if (!std::isfinite(real)) {
            return 0;
        }
        if (real >= 9.2e18) {
            return std::numeric_limits<int64_t>::max();
        }
        if (real <= -9.2e18) {
            return std::numeric_limits<int64_t>::min();
        }
        return static_cast<int64_t>(real);
    }
    case Json::booleanValue:
        return value.asBool() ? 1 : 0;
    default:
        return 0;
    }
}

bool ToBool(const Json::Value& value)
{
    switch (value.type()) {
    case Json::booleanValue:
        return value.asBool();
    case Json::intValue:
    case Json::uintValue:
        return ToInteger(value) != 0;
    case Json::realValue:
        return value.asDouble() != 0.0;
    default:
        return false;
    }
}

std::string ToString(const Json::Value& value)
{
    return value.isString() ? value.asString() : std::string();
}

Json::Value& MemberSlot(Json::Value& object, const char* key)
{
    if (!object.isObject()) {
        object = Json::Value(Json::objectValue);
    }
    return object[key];
}

Json::Value* ElementSlot(Json::Value& array, int64_t index)
{
    if (index < 0 || index > kMaxIndex) {
        return nullptr;
    }
    if (!array.isArray()) {
        array = Json::Value(Json::arrayValue);
    }
    return &array[static_cast<Json::ArrayIndex>(index)];
}

void ReadFields(const Json::Value& object, std::span<const Field> fields, void* record)
{
    auto* bytes = static_cast<unsigned char*>(record);
    for (const Field& field : fields) {
        const Json::Value& member = Member(object, field.key);
        const int64_t value = field.boolean ? (ToBool(member) ? 1 : 0) : ToInteger(member);
        if (field.width == 1) {
            bytes[field.offset] = static_cast<uint8_t>(value);
        } else if (field.width == 2) {
            const auto cut = static_cast<uint16_t>(value);
            std::memcpy(bytes + field.offset, &cut, sizeof cut);
        } else {
            const auto cut = static_cast<int32_t>(static_cast<uint32_t>(value));
            std::memcpy(bytes + field.offset, &cut, sizeof cut);
        }
    }
}

void WriteFields(Json::Value& object, std::span<const Field> fields, const void* record)
{
    const auto* bytes = static_cast<const unsigned char*>(record);
    for (const Field& field : fields) {
        int64_t value = 0;
        if (field.width == 1) {
            value = bytes[field.offset];
        } else if (field.width == 2) {
            uint16_t word = 0;
            std::memcpy(&word, bytes + field.offset, sizeof word);
            value = word;
        } else {
            int32_t word = 0;
            std::memcpy(&word, bytes + field.offset, sizeof word);
            value = word;
        }
        if (field.boolean) {
            value = value != 0 ? 1 : 0;
        }
        WriteInt(object, field.key, value);
    }
}

} // namespace profiles::json
