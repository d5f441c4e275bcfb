// Fonts from files, registered for this process only (Qt's application fonts).

#include "dui/PaintManager.h"
#include "platform/DebugOutput.h"

#include <QFontDatabase>
#include <QStringList>

#include <map>

namespace dui {

namespace {
std::map<std::string, int> g_fontFiles; // path -> font database id; UI thread only
}

std::vector<std::string> CPaintManagerUI::AddFontFile(const std::string& path)
{
    std::vector<std::string> families;
    auto it = g_fontFiles.find(path);
    int id = it != g_fontFiles.end() ? it->second
                                     : QFontDatabase::addApplicationFont(QString::fromStdString(path));
    if (id < 0) {
        platform::DebugPrintf("dui: no font in %s\n", path.c_str());
        return families;
    }
    g_fontFiles[path] = id;
    for (const QString& family : QFontDatabase::applicationFontFamilies(id))
        families.push_back(family.toStdString());
    return families;
}

bool CPaintManagerUI::RemoveFontFile(const std::string& path)
{
    auto it = g_fontFiles.find(path);
    if (it == g_fontFiles.end())
        return false;
    QFontDatabase::removeApplicationFont(it->second);
    g_fontFiles.erase(it);
    return true;
}

} // namespace dui
