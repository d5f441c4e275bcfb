#pragma once
// CResourceManager: the process-wide resource map and language table of the skin library.
//
// The resource map ("res.xml") gives layout files names: <Res><xml name="XML_MAIN" value="main.xml"/></Res>.
// A window names its layout by such a name or by the file itself.
//
// The language table turns language keys into texts. A language file is UTF-8 XML:
//   <Language name="en"><Text id="message_text_5" value="Save changes?"/></Language>
// A control whose text is a key shows the key's text, and GetText answers that text; a key the table
// lacks is offered to the text query interface, and without an answer stays as it is. ReloadText has
// every window show the texts of the table now loaded.

#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace dui {

// Answers texts the language table lacks (empty: no text).
class IQueryControlText
{
public:
    virtual std::string QueryControlText(std::string_view id, std::string_view type) = 0;

protected:
    ~IQueryControlText() = default;
};

class CResourceManager
{
public:
    static CResourceManager* GetInstance();

    // Resource map: a file relative to the resource path, an absolute path, or (starting with '<') the
    // text itself. Replaces the map; false (map unchanged) when it cannot be read or parsed.
    bool LoadResource(std::string_view xml);
    // The layout file of a resource name; empty when the name is not in the map.
    std::string GetXmlPath(std::string_view name) const;
    void ResetResourceMap();

    // The current language's name (kept for callers that ask).
    void SetLanguage(std::string_view name);
    std::string GetLanguage() const;
    // Loads a language file (relative to the resource path or absolute, or the text itself when it
    // starts with '<') in place of the table; false, table unchanged, when it cannot be read or parsed.
    bool LoadLanguage(std::string_view file);
    void SetTextQueryInterface(IQueryControlText* query);
    // Forgets the interface if it is the current one (its owner goes away).
    void RemoveTextQueryInterface(IQueryControlText* query);
    // The text of a key: the table's, else the query interface's, else the key.
    std::string GetText(std::string_view key, std::string_view type = {}) const;
    // True when the key has a text in the table.
    bool HasText(std::string_view key) const;
    // Relays out and repaints every window so its controls show the current table.
    void ReloadText();
    void ResetTextMap();

private:
    CResourceManager() = default;

    mutable std::mutex m_lock; // owner: the resource manager; guards every member below
    std::map<std::string, std::string, std::less<>> m_xmlMap;
    std::map<std::string, std::string, std::less<>> m_texts;
    std::string m_language;
    IQueryControlText* m_query = nullptr;
};

} // namespace dui
