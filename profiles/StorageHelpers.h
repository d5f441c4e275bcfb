#pragma once
// Small stateless helpers shared by everything that stores data: where the files live, reading and
// writing a JSON file, identifiers made from the clock, and text conversions.
//
// Text in memory is UTF-8. The "wide" conversions therefore turn bytes of unknown quality into valid
// UTF-8 (each invalid sequence becomes U+FFFD, as a UTF-8 decoder does), and the narrow platform
// encodings are UTF-8 too, because that is what Linux file names and the C library take. Paths accept
// '/' and also the '\' separator of Windows-spelled paths when it names an existing folder.

#include <cstdint>
#include <string>
#include <string_view>

#include <json/json.h>

// Folders, each ending in '/'.
// The executable's folder.
std::string GetExecutableFolder();
// Read-only files shipped with the product ("DefaultData/" beside the executable); not created.
std::string GetDefaultDataFolder();
// The per-user folder of everything the system writes ("ORVANT X80 PRO/" in local application data);
// created when missing.
std::string GetProductDataFolder();
// The product data folder + a device kind's folder name; created (product data folder first).
std::string GetDeviceFolder(std::string_view deviceFolderName);

// The parsed document, or a null value when the file is missing, empty, unreadable or not valid JSON
// (a leading UTF-8 byte order mark is skipped). Never throws.
Json::Value readjsonFile(const std::string& path);
// Replaces the file, atomically, with the styled text of the value and one line end. A file that
// cannot be written is left as it was. Always returns 0.
int writejsonFile(const std::string& path, const Json::Value& value);
// The whole content of the file, or empty when it cannot be read whole.
std::string ReadFileText(const std::string& path);
// A document file that holds bytes but not the JSON object it should: damaged. Before such a file is
// replaced, KeepDamagedCopy moves it aside under ".damaged", so that nothing is lost unseen.
bool IsDamagedDocument(const std::string& path, const Json::Value& asRead);
void KeepDamagedCopy(const std::string& path);

// The local time as "year_month_day_hour_minute_second_millisecond" (zero-padded but the year).
std::string MakeTimeStampName();

// Text conversions (see above): each returns valid UTF-8.
std::string Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::string_view wide);
std::string WideToAnsi(std::string_view wide);
std::string WideToOem(std::string_view wide);
// Code points, for code that counts or edits characters.
std::u32string Utf8ToUtf32(std::string_view utf8);
std::string Utf32ToUtf8(std::u32string_view text);

// Exactly eight upper-case hexadecimal digits, most significant first.
std::string ToHex8(uint32_t value);
// Removes every occurrence of the character, in place.
void RemoveChar(std::string& text, char character);
// True when the text holds nothing but white space (ASCII white space and the ideographic space).
bool IsBlank(std::string_view text);
// The file name without folder (either separator) and without its last extension.
std::string FileTitleOf(std::string_view path);
// Splits "slider_12" into "slider_" and 12 at the last underscore; the number is the value of the
// leading digits after it (0 when none, saturating at INT_MAX). False when there is no underscore.
bool SplitNameNumber(std::string_view text, std::string& prefix, int& number);
