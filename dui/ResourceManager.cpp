// The resource map and language table, read with Qt's XML stream reader.

#include "dui/ResourceManager.h"

#include "dui/PaintManager.h"
#include "platform/DebugOutput.h"

#include <QFile>
#include <QXmlStreamReader>

namespace dui {

namespace {

using Pairs = std::map<std::string, std::string, std::less<>>;

// Reads the text of a file named relative to the resource path (or absolute), or the text itself.
bool ReadSource(std::string_view source, QByteArray& data)
{
    if (!source.empty() && source.front() == '<') {
        data = QByteArray(source.data(), static_cast<qsizetype>(source.size()));
        return true;
    }
    if (source.empty())
        return false;
    std::string path(source);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    if (path.front() != '/')
        path = CPaintManagerUI::GetResourcePath() + path;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    data = file.readAll();
    return true;
}

// Collects (key, value) from every element named `element` (case-blind) with the two attributes.
bool ReadPairs(std::string_view source, const char* element, const char* keyAttr, const char* valueAttr,
               Pairs& out)
{
    QByteArray data;
    if (!ReadSource(source, data)) {
        platform::DebugPrintf("dui: cannot read %.*s\n", static_cast<int>(source.size()), source.data());
        return false;
    }
    QXmlStreamReader xml(data);
    Pairs pairs;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name().compare(QLatin1String(element), Qt::CaseInsensitive) != 0)
            continue;
        auto attrs = xml.attributes();
        if (!attrs.hasAttribute(QLatin1String(keyAttr)))
            continue;
        pairs[attrs.value(QLatin1String(keyAttr)).toString().toStdString()] =
            attrs.value(QLatin1String(valueAttr)).toString().toStdString();
    }
    if (xml.hasError()) {
        platform::DebugPrintf("dui: %.*s is not well-formed: %s\n",
                              static_cast<int>(source.size() > 80 ? 80 : source.size()), source.data(),
                              xml.errorString().toStdString().c_str());
        return false;
    }
    out = std::move(pairs);
    return true;
}

} // namespace

CResourceManager* CResourceManager::GetInstance()
{
    static CResourceManager instance;
    return &instance;
}

bool CResourceManager::LoadResource(std::string_view xml)
{
    Pairs map;
    if (!ReadPairs(xml, "xml", "name", "value", map))
        return false;
    std::lock_guard lock(m_lock);
    m_xmlMap = std::move(map);
    return true;
}

std::string CResourceManager::GetXmlPath(std::string_view name) const
{
    std::lock_guard lock(m_lock);
    auto it = m_xmlMap.find(name);
    return it == m_xmlMap.end() ? std::string() : it->second;
}

void CResourceManager::ResetResourceMap()
{
    std::lock_guard lock(m_lock);
    m_xmlMap.clear();
}

void CResourceManager::SetLanguage(std::string_view name)
{
    std::lock_guard lock(m_lock);
    m_language = name;
}

std::string CResourceManager::GetLanguage() const
{
    std::lock_guard lock(m_lock);
    return m_language;
}

bool CResourceManager::LoadLanguage(std::string_view file)
{
    Pairs texts;
    if (!ReadPairs(file, "text", "id", "value", texts))
        return false;
    std::lock_guard lock(m_lock);
    m_texts = std::move(texts);
    return true;
}

void CResourceManager::SetTextQueryInterface(IQueryControlText* query)
{
    std::lock_guard lock(m_lock);
    m_query = query;
}

void CResourceManager::RemoveTextQueryInterface(IQueryControlText* query)
{
    std::lock_guard lock(m_lock);
    if (m_query == query)
        m_query = nullptr;
}

std::string CResourceManager::GetText(std::string_view key, std::string_view type) const
{
    IQueryControlText* query = nullptr;
    {
        std::lock_guard lock(m_lock);
        auto it = m_texts.find(key);
        if (it != m_texts.end())
            return it->second;
        query = m_query;
    }
    if (query && !key.empty()) {
        std::string answer = query->QueryControlText(key, type);
        if (!answer.empty())
            return answer;
    }
    return std::string(key);
}

bool CResourceManager::HasText(std::string_view key) const
{
    std::lock_guard lock(m_lock);
    return m_texts.find(key) != m_texts.end();
}

void CResourceManager::ReloadText()
{
    CPaintManagerUI::ForEachManager([](CPaintManagerUI& pm) { pm.NeedUpdate(); });
}

void CResourceManager::ResetTextMap()
{
    std::lock_guard lock(m_lock);
    m_texts.clear();
}

} // namespace dui
