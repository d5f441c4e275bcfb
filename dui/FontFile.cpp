// Fonts from files, registered for this process only (Qt's application fonts).

#include "dui/PaintManager.h"
#include "platform/DebugOutput.h"

#include <QFontDatabase>
#include <QStringList>

namespace dui {

std::vector<std::string> CPaintManagerUI::AddFontFile(const std::string& path)
{
    int id = QFontDatabase::addApplicationFont(QString::fromStdString(path));
    std::vector<std::string> families;
    if (id < 0) {
        platform::DebugPrintf("dui: no font in %s\n", path.c_str());
        return families;
    }
    for (const QString& family : QFontDatabase::applicationFontFamilies(id))
        families.push_back(family.toStdString());
    return families;
}

} // namespace dui
