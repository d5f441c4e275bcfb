#include "dui/FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include <atomic>

namespace dui {

namespace {

std::atomic<IFileDialogProvider*> g_provider{nullptr};

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Splits at the separator, trimming each piece and dropping empty ones.
std::vector<std::string> Split(std::string_view s, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find(separator, start);
        if (end == std::string_view::npos)
            end = s.size();
        std::string_view piece = Trim(s.substr(start, end - start));
        if (!piece.empty())
            parts.emplace_back(piece);
        start = end + 1;
    }
    return parts;
}

QString ToQString(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The real dialog: Qt's own (the same on every desktop, and it works without a desktop portal), modal to
// the whole program so the owner cannot be used meanwhile.
bool RunQtDialog(const TFileDialogRequest& request, std::string& path)
{
    QFileDialog dialog(nullptr, ToQString(request.sTitle));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(request.bSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.bSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QStringList filters;
    for (const std::string& f : BuildNameFilters(request.filters))
        filters << QString::fromStdString(f);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!request.sDefaultExt.empty())
        dialog.setDefaultSuffix(ToQString(request.sDefaultExt));
    if (!request.sFileName.empty() && request.sFileName.find('*') == std::string::npos) {
        QFileInfo info(ToQString(request.sFileName));
        if (info.isDir())
            dialog.setDirectory(info.absoluteFilePath());
        else
            dialog.selectFile(ToQString(request.sFileName));
    }
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().front().toStdString();
    return true;
}

} // namespace

std::vector<TFileFilter> ParseFilterString(std::string_view filter)
{
    std::vector<std::string> parts = Split(filter, '|');
    std::vector<TFileFilter> filters;
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
        filters.push_back({parts[i], parts[i + 1]});
    return filters;
}

std::vector<std::string> BuildNameFilters(const std::vector<TFileFilter>& filters)
{
    std::vector<std::string> out;
    for (const TFileFilter& f : filters) {
        std::string patterns;
        for (const std::string& p : Split(f.sPattern, ';'))
            patterns += (patterns.empty() ? "" : " ") + p;
        if (patterns.empty())
            continue;
        out.push_back(f.sName + " (" + patterns + ")");
    }
    return out;
}

void SetFileDialogProvider(IFileDialogProvider* provider)
{
    g_provider = provider;
}

bool RunFileDialog(const TFileDialogRequest& request, std::string& path)
{
    std::string chosen;
    IFileDialogProvider* provider = g_provider;
    bool ok = provider ? provider->RunFileDialog(request, chosen) : RunQtDialog(request, chosen);
    if (!ok || chosen.empty())
        return false;
    path = chosen;
    return true;
}

bool ShowOpenFileDialog(HWND owner, const std::vector<TFileFilter>& filters, std::string& path,
                        std::string_view defaultExt, std::string_view fileName)
{
    return RunFileDialog({false, owner, filters, std::string(defaultExt), std::string(fileName), {}}, path);
}

bool ShowSaveFileDialog(HWND owner, const std::vector<TFileFilter>& filters, std::string& path,
                        std::string_view defaultExt, std::string_view fileName)
{
    return RunFileDialog({true, owner, filters, std::string(defaultExt), std::string(fileName), {}}, path);
}

} // namespace dui
