// File dialogs: filter strings as the panels give them, the provider seam, and the real dialog answering
// a chosen file or a cancel.

#include "dui/FileDialog.h"
#include "dui/testing/UiTestHarness.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>
#include <fstream>

using namespace dui;

namespace {

class FileDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { dui::testing::EnsureApplication(); }
};

TEST_F(FileDialogTest, FilterStrings)
{
    std::vector<TFileFilter> parsed = ParseFilterString("(*.png) | *.png |(*.*)|*.*||");
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[0].sName, "(*.png)");
    EXPECT_EQ(parsed[0].sPattern, "*.png");
    EXPECT_EQ(parsed[1].sPattern, "*.*");
    EXPECT_TRUE(ParseFilterString("").empty());
    EXPECT_TRUE(ParseFilterString("name only|").empty());

    const struct
    {
        TFileFilter filter;
        const char* shown;
    } kCases[] = {
        {{"Profile Files(*.json)", "*.json;"}, "Profile Files(*.json) (*.json)"},
        {{"Images", "*.png; *.bmp"}, "Images (*.png *.bmp)"},
        {{"(*.*)", "*.*"}, "(*.*) (*.*)"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(BuildNameFilters({c.filter}), std::vector<std::string>{c.shown});
    EXPECT_TRUE(BuildNameFilters({{"Empty", ";"}}).empty()) << "a filter without patterns is left out";
}

class CFakeDialog : public IFileDialogProvider
{
public:
    TFileDialogRequest last;
    std::string answer;
    bool RunFileDialog(const TFileDialogRequest& request, std::string& path) override
    {
        last = request;
        path = answer;
        return !answer.empty();
    }
};

TEST_F(FileDialogTest, ProviderSeesTheRequestAndCancelLeavesThePath)
{
    CFakeDialog fake;
    SetFileDialogProvider(&fake);
    std::string path = "unchanged";
    EXPECT_FALSE(ShowOpenFileDialog(nullptr, {{"Macro Files(*.mac)", "*.mac;"}}, path));
    EXPECT_EQ(path, "unchanged");
    EXPECT_FALSE(fake.last.bSave);
    fake.answer = "/tmp/x.mac";
    EXPECT_TRUE(ShowSaveFileDialog(nullptr, {{"Macro Files(*.mac)", "*.mac;"}}, path, "mac", "x"));
    EXPECT_EQ(path, "/tmp/x.mac");
    EXPECT_TRUE(fake.last.bSave);
    EXPECT_EQ(fake.last.sDefaultExt, "mac");
    EXPECT_EQ(fake.last.filters.at(0).sPattern, "*.mac;");
    SetFileDialogProvider(nullptr);
}

// The real dialog opens as a window; the test plays the user once it is up.
TEST_F(FileDialogTest, RealDialogAnswersTheChosenFileOrACancel)
{
    std::string file = ::testing::TempDir() + "dui_dialog_pick.json";
    std::ofstream(file) << "{}";
    for (bool accept : {true, false}) {
        bool seen = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QFileDialog* dialog = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible())
                    dialog = d;
            if (!dialog)
                return;
            seen = true;
            if (accept) {
                // What the user types into the name field.
                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                if (!name)
                    return;
                poll.stop();
                name->setText(QString::fromStdString(file));
                QMetaObject::invokeMethod(dialog, "accept");
            } else {
                poll.stop();
                dialog->reject();
            }
        });
        poll.start(20);
        QTimer::singleShot(5000, [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<QFileDialog*>(w))
                    w->close(); // never hang the suite
        });
        std::string path;
        bool ok = ShowOpenFileDialog(nullptr, {{"Profile Files(*.json)", "*.json;"}}, path, {},
                                     ::testing::TempDir());
        EXPECT_TRUE(seen) << "the dialog was shown";
        EXPECT_EQ(ok, accept);
        EXPECT_EQ(path, accept ? file : "");
    }
    std::remove(file.c_str());
}

} // namespace
