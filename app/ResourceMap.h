#pragma once
// The skin's resource-name map ("res.xml" in the resource folder): resource names such as "XML_MAIN"
// to file names relative to the resource folder. Its form:
//
//   <Res>
//     <xml name="XML_MAIN" value="XML\main.xml" />
//   </Res>
//
// Every element with a "name" and a "value" attribute is one entry, whatever its element name.
// Names compare without regard to letter case.

#include <map>
#include <optional>
#include <string>
#include <string_view>

class CResourceMap
{
public:
    static CResourceMap& Instance();

    // Reads the map file (relative to the resource path, or absolute); false when it cannot be read or
    // is not well-formed, and the map is then left empty.
    bool LoadResource(std::string_view file);
    // The same from the file's text.
    bool LoadFromText(std::string_view text);
    void Release() { entries_.clear(); }

    // The file a resource name stands for; a name that is not in the map is taken as a file name
    // itself, so callers may pass either.
    std::string Resolve(std::string_view nameOrFile) const;
    std::optional<std::string> Find(std::string_view name) const;
    size_t Size() const { return entries_.size(); }

private:
    std::map<std::string, std::string> entries_; // keys lower-case; owner: the UI thread
};
