#include "dui/WindowMessages.h"

#include "dui/PaintManager.h"
#include "dui/WindowWnd.h"
#include "platform/DebugOutput.h"
#include "platform/Event.h"

#include <QApplication>
#include <QThread>

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace dui {

namespace {

struct SendWait
{
    platform::Event done{platform::Event::Kind::ManualReset};
    LRESULT result = 0;
};

struct Pending
{
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::shared_ptr<SendWait> wait; // set for a message sent from another thread
};

struct Record
{
    CWindowWnd* window;
    std::deque<Pending> queue;
};

std::mutex g_lock; // owner: the window table, the queues and the message name table
std::map<uintptr_t, Record> g_windows;
uintptr_t g_nextHandle = 1;
std::map<std::string, UINT, std::less<>> g_messageNames;
platform::Event g_loopEnded{platform::Event::Kind::ManualReset};

uintptr_t Key(HWND h)
{
    return reinterpret_cast<uintptr_t>(h);
}

void Release(std::deque<Pending>& queue)
{
    for (Pending& p : queue) {
        if (p.wait)
            p.wait->done.Set();
    }
    queue.clear();
}

void Drain(HWND hWnd)
{
    for (;;) {
        Pending p;
        CWindowWnd* window;
        {
            std::lock_guard lock(g_lock);
            auto it = g_windows.find(Key(hWnd));
            if (it == g_windows.end() || it->second.queue.empty())
                return;
            p = std::move(it->second.queue.front());
            it->second.queue.pop_front();
            window = it->second.window;
        }
        LRESULT result = window->HandleMessage(p.msg, p.wParam, p.lParam);
        if (p.wait) {
            p.wait->result = result;
            p.wait->done.Set();
        }
    }
}

bool Wake(HWND hWnd)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    return QMetaObject::invokeMethod(
        app, [hWnd] { Drain(hWnd); }, Qt::QueuedConnection);
}

} // namespace

bool IsUiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app && app->thread() == QThread::currentThread();
}

HWND detail::RegisterWindowHandle(CWindowWnd* window)
{
    std::lock_guard lock(g_lock);
    uintptr_t id = g_nextHandle++;
    g_windows[id] = Record{window, {}};
    return reinterpret_cast<HWND>(id);
}

void detail::UnregisterWindowHandle(HWND hWnd)
{
    std::lock_guard lock(g_lock);
    auto it = g_windows.find(Key(hWnd));
    if (it == g_windows.end())
        return;
    Release(it->second.queue);
    g_windows.erase(it);
}

bool IsWindow(HWND hWnd)
{
    std::lock_guard lock(g_lock);
    return g_windows.count(Key(hWnd)) != 0;
}

CWindowWnd* WindowFromHandle(HWND hWnd)
{
    std::lock_guard lock(g_lock);
    auto it = g_windows.find(Key(hWnd));
    return it == g_windows.end() ? nullptr : it->second.window;
}

HWND FindWindowByTitle(std::string_view title)
{
    std::vector<std::pair<uintptr_t, CWindowWnd*>> windows;
    {
        std::lock_guard lock(g_lock);
        for (const auto& [id, record] : g_windows)
            windows.emplace_back(id, record.window);
    }
    for (const auto& [id, window] : windows) {
        if (window && window->GetTitle() == title)
            return reinterpret_cast<HWND>(id);
    }
    return nullptr;
}

bool PostMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    {
        std::lock_guard lock(g_lock);
        auto it = g_windows.find(Key(hWnd));
        if (it == g_windows.end())
            return false;
        it->second.queue.push_back({msg, wParam, lParam, nullptr});
    }
    return Wake(hWnd);
}

LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (IsUiThread() || !QCoreApplication::instance()) {
        CWindowWnd* window = WindowFromHandle(hWnd);
        return window ? window->HandleMessage(msg, wParam, lParam) : 0;
    }
    auto wait = std::make_shared<SendWait>();
    {
        std::lock_guard lock(g_lock);
        auto it = g_windows.find(Key(hWnd));
        if (it == g_windows.end() || g_loopEnded.IsSet())
            return 0;
        it->second.queue.push_back({msg, wParam, lParam, wait});
    }
    if (!Wake(hWnd))
        return 0;
    platform::WaitAny({&wait->done, &g_loopEnded}, platform::kInfinite);
    return wait->done.IsSet() ? wait->result : 0;
}

UINT RegisterWindowMessage(std::string_view name)
{
    if (name.empty())
        return 0;
    std::lock_guard lock(g_lock);
    auto it = g_messageNames.find(name);
    if (it != g_messageNames.end())
        return it->second;
    UINT number = 0xC000 + static_cast<UINT>(g_messageNames.size());
    if (number > 0xFFFF)
        return 0;
    g_messageNames.emplace(std::string(name), number);
    return number;
}

void PostQuitMessage(int code)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
}

void InitApplication(int& argc, char** argv)
{
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

int RunMessageLoop()
{
    if (!QCoreApplication::instance()) {
        platform::DebugOutput("dui: no application for the message loop\n");
        return -1;
    }
    g_loopEnded.Reset();
    int code = QCoreApplication::exec();
    g_loopEnded.Set();
    std::lock_guard lock(g_lock);
    for (auto& [id, record] : g_windows)
        Release(record.queue);
    return code;
}

int CPaintManagerUI::MessageLoop()
{
    return RunMessageLoop();
}

} // namespace dui
