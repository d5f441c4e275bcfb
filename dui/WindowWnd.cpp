// The Qt host of skinned windows: a QWidget that shows the back buffer its paint manager draws, turns
// Qt input into window messages, and runs the window timers.

#include "dui/WindowWnd.h"

#include "dui/PaintManager.h"
#include "dui/WindowMessages.h"
#include "platform/DebugOutput.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEventLoop>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <map>

namespace dui {

namespace {

std::map<UINT, std::string> g_icons; // UI thread only

// Qt keys to virtual-key codes for the keys the controls and the key capture use.
int ToVirtualKey(int key)
{
    static const std::map<int, int> kKeys = {
        {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB},       {Qt::Key_Return, VK_RETURN},
        {Qt::Key_Enter, VK_RETURN},   {Qt::Key_Shift, VK_SHIFT},   {Qt::Key_Control, VK_CONTROL},
        {Qt::Key_Escape, VK_ESCAPE},  {Qt::Key_Space, VK_SPACE},   {Qt::Key_PageUp, VK_PRIOR},
        {Qt::Key_PageDown, VK_NEXT},  {Qt::Key_End, VK_END},       {Qt::Key_Home, VK_HOME},
        {Qt::Key_Left, VK_LEFT},      {Qt::Key_Up, VK_UP},         {Qt::Key_Right, VK_RIGHT},
        {Qt::Key_Down, VK_DOWN},      {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Insert, 0x2D},
        {Qt::Key_Alt, 0x12},          {Qt::Key_CapsLock, 0x14},    {Qt::Key_Meta, 0x5B},
    };
    auto it = kKeys.find(key);
    if (it != kKeys.end())
        return it->second;
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return key; // same codes as the virtual keys
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 0x70 + (key - Qt::Key_F1);
    return 0;
}

uint16_t KeyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    uint16_t s = 0;
    if (buttons & Qt::LeftButton)
        s |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        s |= MK_RBUTTON;
    if (mods & Qt::ShiftModifier)
        s |= MK_SHIFT;
    if (mods & Qt::ControlModifier)
        s |= MK_CONTROL;
    return s;
}

class CHostWidget final : public QWidget, public IPaintHost
{
public:
    CHostWidget(CWindowWnd* owner, QWidget* parent, Qt::WindowFlags flags)
        : QWidget(parent, flags), m_owner(owner), m_surface(1, 1)
    {
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_controlTimer.setSingleShot(true);
        QObject::connect(&m_controlTimer, &QTimer::timeout, [this] {
            if (m_manager)
                m_manager->FireDueTimers();
        });
    }
    ~CHostWidget() override
    {
        if (m_manager)
            m_manager->SetHost(nullptr);
        for (auto& [id, timer] : m_timers)
            delete timer;
    }

    void Attach(CPaintManagerUI* manager)
    {
        if (m_manager)
            m_manager->SetHost(nullptr);
        m_manager = manager;
        if (m_manager)
            m_manager->SetHost(this);
    }
    CPaintManagerUI* Manager() const { return m_manager; }
    // The window is destroyed: the widget only waits for its deletion, and events reach no one.
    void Detach()
    {
        Attach(nullptr);
        m_controlTimer.stop();
        for (auto& [id, timer] : m_timers)
            timer->stop();
        m_owner = nullptr;
    }

    bool SetTimer(UINT id, UINT ms)
    {
        QTimer*& timer = m_timers[id];
        if (!timer) {
            timer = new QTimer;
            QObject::connect(timer, &QTimer::timeout, [this, id] { Send(WM_TIMER, id, 0); });
        }
        timer->start(static_cast<int>(std::max<UINT>(ms, 1)));
        return true;
    }
    bool KillTimer(UINT id)
    {
        auto it = m_timers.find(id);
        if (it == m_timers.end())
            return false;
        delete it->second;
        m_timers.erase(it);
        return true;
    }

    // IPaintHost
    void HostInvalidate() override { update(); }
    SIZE HostClientSize() const override { return {width(), height()}; }
    void HostResize(SIZE size) override
    {
        if (size.cx > 0 && size.cy > 0)
            resize(size.cx, size.cy);
    }
    void HostScheduleTimers(uint32_t dueInMs) override
    {
        if (dueInMs == CPaintManagerUI::kNoTimer)
            m_controlTimer.stop();
        else
            m_controlTimer.start(static_cast<int>(std::min<uint32_t>(dueInMs, 0x7FFFFFFF)));
    }
    void HostSetCapture(bool) override {}
    void HostShowToolTip(const std::string& text, POINT pt) override
    {
        if (text.empty()) {
            QToolTip::hideText();
            return;
        }
        // Below the pointer, as tool tips usually sit.
        QToolTip::showText(mapToGlobal(QPoint(pt.x, pt.y + 20)), QString::fromStdString(text), this);
    }
    void HostSetCursor(int cursor) override
    {
        static const std::map<int, Qt::CursorShape> kShapes = {
            {UICURSOR_ARROW, Qt::ArrowCursor},        {UICURSOR_HAND, Qt::PointingHandCursor},
            {UICURSOR_IBEAM, Qt::IBeamCursor},        {UICURSOR_SIZEWE, Qt::SizeHorCursor},
            {UICURSOR_SIZENS, Qt::SizeVerCursor},     {UICURSOR_SIZENWSE, Qt::SizeFDiagCursor},
            {UICURSOR_SIZENESW, Qt::SizeBDiagCursor}, {UICURSOR_SIZEALL, Qt::SizeAllCursor},
            {UICURSOR_WAIT, Qt::WaitCursor},          {UICURSOR_NO, Qt::ForbiddenCursor}};
        auto it = kShapes.find(cursor);
        setCursor(it == kShapes.end() ? Qt::ArrowCursor : it->second);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        if (!m_manager) {
            p.fillRect(rect(), Qt::white);
            return;
        }
        m_manager->Paint(m_surface);
        QImage frame(m_surface.Bits(), m_surface.Width(), m_surface.Height(), m_surface.BytesPerLine(),
                     QImage::Format_ARGB32_Premultiplied);
        p.drawImage(0, 0, frame);
    }
    void resizeEvent(QResizeEvent*) override { Send(WM_SIZE, 0, MAKELPARAM(width(), height())); }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (m_dragging) {
            move(e->globalPosition().toPoint() - m_dragOffset);
            return;
        }
        SendMouse(WM_MOUSEMOVE, e);
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton && m_manager) {
            POINT pt{static_cast<int>(e->position().x()), static_cast<int>(e->position().y())};
            if (m_manager->IsCaptionPoint(pt)) {
                if (!(windowHandle() && windowHandle()->startSystemMove())) {
                    m_dragging = true;
                    m_dragOffset = e->globalPosition().toPoint() - frameGeometry().topLeft();
                }
                return;
            }
        }
        SendMouse(e->button() == Qt::RightButton ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (m_dragging) {
            m_dragging = false;
            return;
        }
        SendMouse(e->button() == Qt::RightButton ? WM_RBUTTONUP : WM_LBUTTONUP, e);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        SendMouse(e->button() == Qt::RightButton ? WM_RBUTTONDOWN : WM_LBUTTONDBLCLK, e);
    }
    void leaveEvent(QEvent*) override { Send(WM_MOUSELEAVE, 0, 0); }
    void wheelEvent(QWheelEvent* e) override
    {
        int delta = e->angleDelta().y();
        QPoint p = e->position().toPoint();
        Send(WM_MOUSEMOVE, 0, MAKELPARAM(p.x(), p.y()));
        Send(WM_MOUSEWHEEL,
             (static_cast<WPARAM>(static_cast<uint16_t>(delta)) << 16) |
                 KeyState(e->buttons(), e->modifiers()),
             MAKELPARAM(p.x(), p.y()));
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (int vk = ToVirtualKey(e->key()))
            Send(WM_KEYDOWN, static_cast<WPARAM>(vk), 0);
        for (char32_t ch : e->text().toUcs4()) {
            if (ch >= 0x20 && ch != 0x7F)
                Send(WM_CHAR, ch, 0);
        }
    }
    void keyReleaseEvent(QKeyEvent* e) override
    {
        if (int vk = ToVirtualKey(e->key()))
            Send(WM_KEYUP, static_cast<WPARAM>(vk), 0);
    }
    void focusInEvent(QFocusEvent*) override { Send(WM_SETFOCUS, 0, 0); }
    void focusOutEvent(QFocusEvent*) override { Send(WM_KILLFOCUS, 0, 0); }
    void changeEvent(QEvent* e) override
    {
        if (e->type() == QEvent::ActivationChange)
            Send(WM_ACTIVATE, isActiveWindow() ? 1 : 0, 0);
        QWidget::changeEvent(e);
    }
    void closeEvent(QCloseEvent* e) override
    {
        // The window decides (WM_CLOSE); Qt never closes it by itself.
        e->ignore();
        if (m_owner)
            m_owner->PostMessage(WM_CLOSE, 0, 0);
    }

private:
    void Send(UINT msg, WPARAM w, LPARAM l)
    {
        if (m_owner)
            m_owner->HandleMessage(msg, w, l);
    }
    void SendMouse(UINT msg, QMouseEvent* e)
    {
        QPoint p = e->position().toPoint();
        Send(msg, KeyState(e->buttons() | e->button(), e->modifiers()), MAKELPARAM(p.x(), p.y()));
    }

    CWindowWnd* m_owner;
    CPaintManagerUI* m_manager = nullptr;
    CRenderSurface m_surface;
    QTimer m_controlTimer;
    std::map<UINT, QTimer*> m_timers;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

} // namespace

// The nested loop of one ShowModal; lives on its caller's stack so the window may delete itself.
struct ModalRun
{
    QEventLoop loop;
    UINT result = 0;
};

struct CWindowWnd::Impl
{
    CHostWidget* widget = nullptr;
    HWND owner = nullptr;
    DWORD style = 0;
    UINT closeResult = 0;
    ModalRun* modal = nullptr;
};

CWindowWnd::CWindowWnd() : m_impl(std::make_unique<Impl>()) {}

CWindowWnd::~CWindowWnd()
{
    if (ModalRun* run = m_impl->modal) {
        m_impl->modal = nullptr;
        run->loop.quit();
    }
    if (m_impl->widget) {
        HWND h = m_hWnd;
        delete m_impl->widget;
        m_impl->widget = nullptr;
        detail::UnregisterWindowHandle(h);
        m_hWnd = nullptr;
    }
}

HWND CWindowWnd::Create(HWND parent, std::string_view title, DWORD style, DWORD exStyle, int x, int y, int cx,
                        int cy)
{
    if (m_impl->widget || !QCoreApplication::instance() || !IsUiThread()) {
        platform::DebugOutput("dui: window created without an application or twice\n");
        return nullptr;
    }
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    if (exStyle & WS_EX_TOOLWINDOW)
        flags |= Qt::Tool;
    if (exStyle & WS_EX_TOPMOST)
        flags |= Qt::WindowStaysOnTopHint;
    CWindowWnd* parentWnd = WindowFromHandle(parent);
    QWidget* parentWidget = parentWnd ? parentWnd->m_impl->widget : nullptr;
    m_impl->widget = new CHostWidget(this, parentWidget, flags);
    m_impl->style = style;
    m_impl->owner = parentWnd ? parent : nullptr;
    m_impl->widget->setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    m_impl->widget->move(x, y);
    if (cx > 0 && cy > 0)
        m_impl->widget->resize(cx, cy);
    m_hWnd = detail::RegisterWindowHandle(this);
    HandleMessage(WM_CREATE, 0, 0);
    if (CPaintManagerUI* pm = GetPaintManager()) {
        SIZE init = pm->ClientSizeFor(pm->GetInitSize());
        if ((cx <= 0 || cy <= 0) && init.cx > 0 && init.cy > 0)
            m_impl->widget->resize(init.cx, init.cy);
    }
    if (style & WS_VISIBLE)
        ShowWindow(true);
    return m_hWnd;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus)
{
    if (!m_impl->widget)
        return;
    if (!show) {
        m_impl->widget->hide();
        return;
    }
    m_impl->widget->show();
    if (takeFocus) {
        m_impl->widget->activateWindow();
        m_impl->widget->setFocus();
    }
}

HWND CWindowWnd::GetOwnerHWND() const
{
    return m_impl->owner;
}

bool CWindowWnd::IsWindowVisible() const
{
    return m_impl->widget && m_impl->widget->isVisible();
}
bool CWindowWnd::IsActiveWindow() const
{
    return m_impl->widget && m_impl->widget->isActiveWindow();
}

bool CWindowWnd::IsMinimized() const
{
    return m_impl->widget && m_impl->widget->isMinimized();
}

void CWindowWnd::Close(UINT result)
{
    PostMessage(WM_CLOSE, result, 0);
}

void CWindowWnd::DestroyWindow()
{
    if (!m_impl->widget)
        return;
    HWND h = m_hWnd;
    m_impl->widget->hide();
    HandleMessage(WM_DESTROY, 0, 0);
    CHostWidget* widget = m_impl->widget;
    m_impl->widget = nullptr;
    widget->Detach();
    widget->deleteLater();
    detail::UnregisterWindowHandle(h);
    m_hWnd = nullptr;
    if (ModalRun* run = m_impl->modal) {
        m_impl->modal = nullptr;
        run->result = m_impl->closeResult;
        run->loop.quit();
    }
    OnFinalMessage(h);
}

UINT CWindowWnd::ShowModal()
{
    if (!m_impl->widget || m_impl->modal)
        return 0;
    ModalRun run;
    m_impl->modal = &run;
    m_impl->closeResult = 0;
    m_impl->widget->setWindowModality(Qt::ApplicationModal);
    ShowWindow(true);
    run.loop.exec();
    return run.result;
}

void CWindowWnd::OnFinalMessage(HWND) {}

void CWindowWnd::CenterWindow()
{
    QWidget* w = m_impl->widget;
    if (!w)
        return;
    QRect area;
    if (w->parentWidget())
        area = w->parentWidget()->frameGeometry();
    else if (QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
}

bool CWindowWnd::GetMonitorRect(RECT& rc) const
{
    rc = {};
    QWidget* w = m_impl->widget;
    QScreen* screen = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return false;
    const QRect g = screen->geometry();
    rc = {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    return true;
}

void CWindowWnd::RegisterIconResource(UINT resourceId, std::string_view file)
{
    g_icons[resourceId] = std::string(file);
}

std::string CWindowWnd::GetIconResourceFile(UINT resourceId)
{
    auto it = g_icons.find(resourceId);
    return it == g_icons.end() ? std::string() : CPaintManagerUI::GetResourcePath() + it->second;
}

void CWindowWnd::SetIcon(UINT resourceId)
{
    std::string file = GetIconResourceFile(resourceId);
    if (file.empty()) {
        platform::DebugPrintf("dui: no icon resource %u\n", resourceId);
        return;
    }
    SetIconFile(file);
}

void CWindowWnd::SetIconFile(const std::string& path)
{
    if (m_impl->widget)
        m_impl->widget->setWindowIcon(QIcon(QString::fromStdString(path)));
}

std::string CWindowWnd::GetTitle() const
{
    return m_impl->widget ? m_impl->widget->windowTitle().toStdString() : std::string();
}

void CWindowWnd::SetTitle(std::string_view title)
{
    if (m_impl->widget)
        m_impl->widget->setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
}

void CWindowWnd::ResizeClient(int cx, int cy)
{
    if (m_impl->widget)
        m_impl->widget->resize(cx, cy);
}

SIZE CWindowWnd::GetClientSize() const
{
    return m_impl->widget ? SIZE{m_impl->widget->width(), m_impl->widget->height()} : SIZE{};
}

RECT CWindowWnd::GetWindowRect() const
{
    if (!m_impl->widget)
        return {};
    QRect r = m_impl->widget->frameGeometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void CWindowWnd::MoveWindow(int x, int y)
{
    if (m_impl->widget)
        m_impl->widget->move(x, y);
}

void CWindowWnd::Minimize()
{
    if (m_impl->widget)
        m_impl->widget->showMinimized();
}

void CWindowWnd::Maximize()
{
    if (m_impl->widget)
        m_impl->widget->showMaximized();
}

void CWindowWnd::Restore()
{
    if (m_impl->widget)
        m_impl->widget->showNormal();
}

void CWindowWnd::BringToFront()
{
    if (m_impl->widget) {
        m_impl->widget->raise();
        m_impl->widget->activateWindow();
    }
}

bool CWindowWnd::SetTimer(UINT id, UINT elapseMs)
{
    return m_impl->widget && m_impl->widget->SetTimer(id, elapseMs);
}

bool CWindowWnd::KillTimer(UINT id)
{
    return m_impl->widget && m_impl->widget->KillTimer(id);
}

LRESULT CWindowWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return dui::SendMessage(m_hWnd, msg, wParam, lParam);
}

bool CWindowWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return dui::PostMessage(m_hWnd, msg, wParam, lParam);
}

void CWindowWnd::AttachPaintManager(CPaintManagerUI* manager)
{
    if (m_impl->widget)
        m_impl->widget->Attach(manager);
}

CPaintManagerUI* CWindowWnd::GetPaintManager() const
{
    return m_impl->widget ? m_impl->widget->Manager() : nullptr;
}

LRESULT CWindowWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    switch (msg) {
    case WM_CLOSE:
        m_impl->closeResult = static_cast<UINT>(wParam);
        DestroyWindow();
        return 0;
    case WM_SYSCOMMAND:
        if (wParam == SC_MINIMIZE)
            Minimize();
        else if (wParam == SC_MAXIMIZE)
            Maximize();
        else if (wParam == SC_RESTORE)
            Restore();
        else if (wParam == SC_CLOSE)
            Close();
        return 0;
    default:
        return 0;
    }
}

bool GetCursorPos(POINT& pt)
{
    pt = {};
    if (!QCoreApplication::instance())
        return false;
    QPoint p = QCursor::pos();
    pt = {p.x(), p.y()};
    return true;
}

QWidget* NativeHostWidget(const CPaintManagerUI* manager)
{
    if (!manager || !QCoreApplication::instance())
        return nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* host = dynamic_cast<CHostWidget*>(w);
        if (host && host->Manager() == manager)
            return host;
    }
    return nullptr;
}

} // namespace dui
