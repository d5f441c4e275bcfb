#pragma once
// Window messages between the windows of this process. Each window has a message queue on the UI thread:
// PostMessage queues and returns at once (from any thread); SendMessage on the UI thread calls the window
// directly, and from another thread waits until the UI thread has handled the message (a window that
// goes away, or the end of the message loop, releases the wait with 0). RegisterWindowMessage gives a
// number in 0xC000–0xFFFF, the same for the same name within the process (the message bus carries the
// names between processes).

#include "dui/UIDefine.h"

#include <string_view>

namespace dui {

class CWindowWnd;

bool PostMessage(HWND hWnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// 0 when the name is empty or the range is used up.
UINT RegisterWindowMessage(std::string_view name);
// True while the handle names a live window.
bool IsWindow(HWND hWnd);
// The window of a handle (UI thread only), or nullptr.
CWindowWnd* WindowFromHandle(HWND hWnd);
// The first live window with the title (UI thread only), or nullptr.
HWND FindWindowByTitle(std::string_view title);
// Ends the message loop with the code, after the messages already queued.
void PostQuitMessage(int code = 0);
// True on the thread that runs the message loop.
bool IsUiThread();
// The mouse pointer's position on the screen (for pop-ups that open at it); false (and 0,0) without a
// host application.
bool GetCursorPos(POINT& pt);

// The host application: creates it (once) from the program's arguments; MessageLoop runs it.
void InitApplication(int& argc, char** argv);
int RunMessageLoop();

namespace detail {
// Window bookkeeping of CWindowWnd.
HWND RegisterWindowHandle(CWindowWnd* window);
void UnregisterWindowHandle(HWND hWnd);
} // namespace detail

} // namespace dui
