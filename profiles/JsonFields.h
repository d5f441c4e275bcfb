#pragma once
// Typed, never-throwing access to the members of a settings document. JsonCpp asserts (throws) when a
// member is looked up on a value of the wrong type or a string is read as a number; stored files are
// outside input, so every profile class reads and writes through these helpers instead.
//
// Reading never changes the document: a missing member, a member of the wrong type or an index out of
// range reads as null, 0, false or "". Writing turns a value of the wrong container type into the
// container it needs (a damaged group is replaced by the one being written).

#include <json/json.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace profiles::json {

// The largest array index a document is grown to; an index from a file cannot make us allocate
// millions of elements. Real documents stay far below it (170 key positions, a few groups).
inline constexpr int64_t kMaxIndex = 4095;

// --- reading ---
const Json::Value& Member(const Json::Value& object, const char* key);
const Json::Value& Element(const Json::Value& array, int64_t index);
// Integers as they are, reals truncated, booleans 0/1, anything else 0.
int64_t ToInteger(const Json::Value& value);
// Booleans as they are, numbers true when non-zero, anything else false.
bool ToBool(const Json::Value& value);
// Strings as they are, anything else "".
std::string ToString(const Json::Value& value);

// A member cut to the width the in-memory record keeps.
inline uint8_t Read8(const Json::Value& object, const char* key)
{
    return static_cast<uint8_t>(ToInteger(Member(object, key)));
}
inline uint16_t Read16(const Json::Value& object, const char* key)
{
    return static_cast<uint16_t>(ToInteger(Member(object, key)));
}
inline uint32_t Read24(const Json::Value& object, const char* key)
{
    return static_cast<uint32_t>(ToInteger(Member(object, key))) & 0xFFFFFFu;
}
inline int32_t ReadS32(const Json::Value& object, const char* key)
{
    return static_cast<int32_t>(static_cast<uint32_t>(ToInteger(Member(object, key))));
}
inline uint8_t ReadBool8(const Json::Value& object, const char* key)
{
    return ToBool(Member(object, key)) ? 1 : 0;
}

// --- writing ---
// The member of object, making object an object first when it is not one.
Json::Value& MemberSlot(Json::Value& object, const char* key);
// The element of array, making array an array first when it is not one and growing it; nullptr when
// the index is negative or above kMaxIndex (nothing is changed then).
Json::Value* ElementSlot(Json::Value& array, int64_t index);
inline void WriteInt(Json::Value& object, const char* key, int64_t value)
{
    MemberSlot(object, key) = Json::Value(static_cast<Json::Int64>(value));
}
inline void WriteBool(Json::Value& object, const char* key, uint8_t value)
{
    MemberSlot(object, key) = Json::Value(value != 0 ? 1 : 0);
}

// --- records ---
// One member of a packed record: its JSON name, its byte offset and width in the record (1, 2 or 4;
// 4 is signed), and whether it follows the bool rule (read as a boolean, written as 0 or 1).
struct Field
{
    const char* key;
    size_t offset;
    uint8_t width;
    bool boolean = false;
};
// Fills the record's fields from the object's members (missing members read as 0).
void ReadFields(const Json::Value& object, std::span<const Field> fields, void* record);
// Writes the record's fields one by one into the object; other members stay.
void WriteFields(Json::Value& object, std::span<const Field> fields, const void* record);

} // namespace profiles::json
