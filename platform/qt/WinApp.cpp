#include "platform/WinApp.h"

#include "platform/Font.h"
#include "platform/qt/ControlWidgets.h"
#include "platform/qt/Internal.h"
#include "platform/qt/KeyMap.h"
#include "platform/Menu.h"
#include "platform/qt/QtHandles.h"
#include "platform/Registry.h"
#include "platform/Resource.h"
#include "platform/Sound.h"
#include "platform/qt/TextCodec.h"
#include "platform/Trace.h"
#include "platform/qt/WndCore.h"

#include <QApplication>
#include <QCursor>
#include <QFont>
#include <QHash>
#include <QIcon>
#include <QIconEngine>
#include <QImage>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <QTimer>
#include <QTranslator>

#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

CWinApp* g_pApp = nullptr;
std::string g_appName;
std::string g_exeName;
std::vector<char> g_cmdLine(1, '\0');
int g_argc = 0;
std::vector<std::string> g_argStorage;
std::vector<char*> g_argv;
int g_instanceTag = 0;
Qt::KeyboardModifiers g_keyModifiers;
bool g_haveKeyModifiers = false;

// Modal state: every running modal window, innermost last, with its owner.
struct ModalEntry {
    QPointer<QWidget> owner;
    QPointer<QWidget> window;
};
std::vector<ModalEntry> g_modal;

QHash<QIcon*, UINT> g_icons;

// The application object: every key press passes the message filter first.
class CTalvoApplication : public QApplication {
public:
    CTalvoApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && receiver->isWidgetType())
            if (AfxPreTranslateKeyEvent(static_cast<QWidget*>(receiver), static_cast<QKeyEvent*>(event)))
                return true;
        return QApplication::notify(receiver, event);
    }
};

// The few texts of Qt's own that its Swedish translation lacks.
class CMissingSwedish : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        static const struct {
            const char* context;
            const char* source;
            const char* swedish;
        } texts[] = {
            {"QFileSystemModel", "Computer", "Dator"},
            {"QPlatformTheme", "Cancel", "Avbryt"},
            {"QPlatformTheme", "&Open", "&\xC3\x96ppna"},
            {"QPlatformTheme", "&Save", "&Spara"},
            {"QPlatformTheme", "OK", "OK"},
        };
        for (const auto& t : texts)
            if (std::strcmp(context, t.context) == 0 && std::strcmp(sourceText, t.source) == 0)
                return QString::fromUtf8(t.swedish);
        return {};
    }
};

// The program speaks Swedish whatever the desktop's language: what Qt draws
// itself (file dialog columns and menus, edit menus, tips) too.
void InstallSwedishTranslations(QApplication* app)
{
    app->installTranslator(new CMissingSwedish(app));
    auto* translator = new QTranslator(app);
    if (translator->load(QLocale(QLocale::Swedish, QLocale::Sweden), QStringLiteral("qt"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app->installTranslator(translator);  // asked first, as the last installed
    else
        delete translator;
}

} // namespace

// ---- The application object ------------------------------------------------------

// No entries of its own: everything falls through to default processing.
const AFX_MSGMAP* CWinApp::GetMessageMap() const { return GetThisMessageMap(); }
const AFX_MSGMAP* CWinApp::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, &entries[0]};
    return &map;
}

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName)
{
    g_pApp = this;
    m_hInstance = AfxGetInstanceHandle();
    m_lpCmdLine = g_cmdLine.data();
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

namespace {
bool g_bMainLoopRunning = false;
bool g_bQuitPosted = false;
} // namespace

void PostQuitMessage(int nExitCode)
{
    g_bQuitPosted = true;
    // Qt ends every loop of the thread, nested ones included.
    QCoreApplication::exit(nExitCode);
}

bool AfxQuitPosted() { return g_bQuitPosted; }

int CWinApp::Run()
{
    // Without a window the program could never be ended by the user.
    if (!m_pMainWnd || !IsWindow(m_pMainWnd->m_hWnd)) {
        Trace("No main window; ending.\n");
        return ExitInstance();
    }
    if (g_bQuitPosted)
        return ExitInstance();
    g_bMainLoopRunning = true;
    QApplication::exec();
    g_bMainLoopRunning = false;
    AfxSettleSound();
    return ExitInstance();
}

bool AfxMainLoopRunning() { return g_bMainLoopRunning; }

int CWinApp::ExitInstance() { return 0; }

BOOL CWinApp::ProcessMessageFilter(int, LPMSG) { return FALSE; }

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    if (!pMsg || !IsWindow(pMsg->hwnd))
        return FALSE;
    return CWnd::WalkPreTranslateTree(HandleFromWidget(WidgetFromHandle(pMsg->hwnd)->window()), pMsg);
}

HICON CWinApp::LoadIcon(UINT nIDResource) const { return AfxLoadIconHandle(nIDResource); }

HCURSOR CWinApp::LoadStandardCursor(LPCSTR lpszCursorName) const { return LoadCursorA(nullptr, lpszCursorName); }

void CWinApp::OnHelp() { Trace("No help file.\n"); }

CWinApp* AfxGetApp() { return g_pApp; }
CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }
HINSTANCE AfxGetInstanceHandle() { return reinterpret_cast<HINSTANCE>(&g_instanceTag); }
HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }
void AfxEnableControlContainer() {}

LPCSTR AfxGetAppName()
{
    if (g_pApp && g_pApp->m_pszAppName)
        return g_pApp->m_pszAppName;
    if (const char* s = AfxFindString(AFX_IDS_APP_TITLE))
        return s;
    return g_exeName.c_str();
}

BOOL AfxWinInit(int argc, char** argv)
{
    g_argStorage.clear();
    for (int i = 0; i < argc; ++i)
        g_argStorage.emplace_back(argv[i] ? argv[i] : "");
    if (g_argStorage.empty())
        g_argStorage.emplace_back("talvo");
    g_argv.clear();
    for (std::string& s : g_argStorage)
        g_argv.push_back(s.data());
    g_argv.push_back(nullptr);
    g_argc = int(g_argStorage.size());

    // The command line: the arguments joined by single blanks.
    std::string cmd;
    for (std::size_t i = 1; i < g_argStorage.size(); ++i) {
        if (i > 1)
            cmd += ' ';
        cmd += g_argStorage[i];
    }
    g_cmdLine.assign(cmd.begin(), cmd.end());
    g_cmdLine.push_back('\0');

    std::string exe = g_argStorage[0];
    if (auto slash = exe.find_last_of('/'); slash != std::string::npos)
        exe = exe.substr(slash + 1);
    if (auto dot = exe.find_last_of('.'); dot != std::string::npos && dot > 0)
        exe = exe.substr(0, dot);
    g_exeName = exe;

    if (!qApp) {
        auto* app = new CTalvoApplication(g_argc, g_argv.data());
        app->setQuitOnLastWindowClosed(false);
        InstallSwedishTranslations(app);
    } else if (!dynamic_cast<CTalvoApplication*>(qApp)) {
        Trace("AfxWinInit: a foreign QApplication exists; keys bypass the message filter.\n");
    }
    if (auto* guiApp = qobject_cast<QGuiApplication*>(qApp))
        guiApp->setQuitOnLastWindowClosed(false);

    if (CWinApp* app = g_pApp) {
        app->m_lpCmdLine = g_cmdLine.data();
        app->m_nCmdShow = SW_SHOWNORMAL;
        app->m_hInstance = AfxGetInstanceHandle();
        app->m_pszExeName = g_exeName.c_str();
        if (!app->m_pszAppName) {
            if (const char* s = AfxFindString(AFX_IDS_APP_TITLE)) {
                g_appName = s;
                app->m_pszAppName = g_appName.c_str();
            }
        }
    }
    static bool sessionInstalled = false;
    if (!sessionInstalled) {
        sessionInstalled = true;
        AfxInstallSessionHandlers();
        // Settings written in one handler reach the store in one write.
        AfxSetRegistryFlushScheduler([] {
            QTimer::singleShot(0, qApp, [] { RegFlushKey(HKEY_CURRENT_USER); });
        });
    }
    return TRUE;
}

int AfxWinMain(int argc, char** argv)
{
    CWinApp* app = AfxGetApp();
    if (!app || !AfxWinInit(argc, argv))
        return -1;
    const int result = app->InitInstance() ? app->Run() : app->ExitInstance();
    RegFlushKey(HKEY_CURRENT_USER);  // what the last turn of the loop left
    return result;
}

// ---- Modal state ------------------------------------------------------------------

void AfxEnterModal(QWidget* owner, QWidget* modalWindow)
{
    ModalEntry e;
    e.owner = owner;
    e.window = modalWindow;
    g_modal.push_back(e);
}

void AfxLeaveModal(QWidget* owner, QWidget* modalWindow)
{
    for (auto it = g_modal.rbegin(); it != g_modal.rend(); ++it) {
        if (it->window == modalWindow && it->owner == owner) {
            g_modal.erase(std::next(it).base());
            return;
        }
    }
    // The windows may be gone already: drop the innermost entry.
    if (!g_modal.empty())
        g_modal.pop_back();
}

bool AfxInModalState() { return !g_modal.empty(); }

bool AfxIsModalDisabled(const QWidget* w)
{
    for (const ModalEntry& e : g_modal)
        if (e.owner && e.owner == w)
            return true;
    return false;
}

QWidget* AfxTopModalWindow()
{
    for (auto it = g_modal.rbegin(); it != g_modal.rend(); ++it)
        if (it->window && AfxIsLiveWidget(it->window))
            return it->window;
    return nullptr;
}

QWidget* AfxDefaultOwner()
{
    if (QWidget* m = AfxTopModalWindow())
        return m;
    CWnd* main = AfxGetMainWnd();
    if (main && IsWindow(main->m_hWnd))
        return WidgetFromHandle(main->m_hWnd)->window();
    return nullptr;
}

// ---- Keys -----------------------------------------------------------------------------

namespace {

void SendHelp(HWND hFocus)
{
    HELPINFO info;
    info.iContextType = 1;  // HELPINFO_WINDOW
    info.iCtrlId = int(AfxControlId(WidgetFromHandle(hFocus)));
    info.hItemHandle = hFocus;
    QPoint p = QCursor::pos();
    info.MousePos.x = p.x();
    info.MousePos.y = p.y();
    ::SendMessage(hFocus, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

} // namespace

bool AfxPreTranslateKeyEvent(QWidget* receiver, QKeyEvent* event)
{
    QWidget* top = receiver->window();
    // Open menus handle their own keys.
    if (qobject_cast<QMenu*>(top) || qobject_cast<QMenuBar*>(receiver))
        return false;
    UINT vk = AfxVirtualKeyFromQtKey(event->key(), int(event->modifiers()));
    if (vk == 0)
        return false;
    Qt::KeyboardModifiers mods = event->modifiers();
    bool alt = (mods & Qt::AltModifier) != 0;
    MSG msg;
    msg.hwnd = HandleFromWidget(receiver);
    msg.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    msg.wParam = vk;
    msg.lParam = LPARAM(1 | (event->isAutoRepeat() ? (1 << 30) : 0) | (alt ? (1 << 29) : 0));
    msg.time = GetTickCount();
    QPoint p = QCursor::pos();
    msg.pt.x = p.x();
    msg.pt.y = p.y();

    Qt::KeyboardModifiers savedMods = g_keyModifiers;
    bool savedHave = g_haveKeyModifiers;
    g_keyModifiers = mods;
    g_haveKeyModifiers = true;
    QPointer<QWidget> guard(receiver);
    QPointer<QWidget> topGuard(top);

    CWinApp* app = AfxGetApp();
    bool done = app && app->ProcessMessageFilter(0, &msg);
    if (!done && guard && IsWindow(msg.hwnd))
        done = app ? app->PreTranslateMessage(&msg) : CWnd::WalkPreTranslateTree(HandleFromWidget(top), &msg);
    if (!done && guard && topGuard && IsWindow(msg.hwnd)) {
        bool plain = !(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
        if (vk == VK_F1 && plain) {
            // Win32 sends WM_HELP for an F1 nobody translated.
            SendHelp(msg.hwnd);
            done = true;
        } else if (!AfxIsDialogWidget(top)) {
            // Qt's own dialogs (message boxes, file dialogs) close themselves.
        } else if (vk == VK_F4 && alt && !(mods & (Qt::ShiftModifier | Qt::ControlModifier))) {
            ::SendMessage(HandleFromWidget(top), WM_SYSCOMMAND, SC_CLOSE, 0);
            done = true;
        } else if (vk == VK_SPACE && alt) {
            if (HMENU h = AfxSystemMenu(top, true)) {
                reinterpret_cast<QMenu*>(h)->popup(top->mapToGlobal(QPoint(0, 0)));
                done = true;
            }
        }
    }
    g_keyModifiers = savedMods;
    g_haveKeyModifiers = savedHave;
    // A receiver that went away must not get the event.
    return done || !guard;
}

// ---- Accelerators -----------------------------------------------------------------------

HACCEL LoadAcceleratorsA(HINSTANCE, LPCSTR lpTableName)
{
    if (!IS_INTRESOURCE(lpTableName))
        return nullptr;
    const AccelTableTemplate* t = AfxFindAccelTable(UINT(reinterpret_cast<std::uintptr_t>(lpTableName)));
    return reinterpret_cast<HACCEL>(const_cast<AccelTableTemplate*>(t));
}

int TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg)
{
    if (!hWnd || !hAccTable || !lpMsg || !IsWindow(hWnd))
        return 0;
    if (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN)
        return 0;
    // Only handles that LoadAcceleratorsA gave out.
    const ResourceTables* tables = AfxGetResourceTables();
    if (!tables)
        return 0;
    const AccelTableTemplate* table = nullptr;
    for (const AccelTableTemplate& t : tables->accelerators)
        if (reinterpret_cast<HACCEL>(const_cast<AccelTableTemplate*>(&t)) == hAccTable)
            table = &t;
    if (!table)
        return 0;
    Qt::KeyboardModifiers mods = g_haveKeyModifiers ? g_keyModifiers : QGuiApplication::queryKeyboardModifiers();
    bool shift = mods & Qt::ShiftModifier;
    bool ctrl = mods & Qt::ControlModifier;
    bool alt = (mods & Qt::AltModifier) || lpMsg->message == WM_SYSKEYDOWN;
    for (const AccelTemplate& e : table->entries) {
        if (!(e.fVirt & FVIRTKEY) || e.key != lpMsg->wParam)
            continue;
        if (bool(e.fVirt & FSHIFT) != shift || bool(e.fVirt & FCONTROL) != ctrl || bool(e.fVirt & FALT) != alt)
            continue;
        // A disabled window (its modal dialog runs) gets no menu commands.
        QWidget* w = WidgetFromHandle(hWnd);
        if (!IsWindowEnabled(hWnd) || (AfxInModalState() && AfxTopModalWindow() != w->window()))
            return 0;
        HMENU hMenu = GetMenu(hWnd);
        UINT state = hMenu ? GetMenuState(hMenu, e.cmd, MF_BYCOMMAND) : UINT(-1);
        if (state != UINT(-1) && (state & (MF_GRAYED | MF_DISABLED)))
            return 1;
        ::SendMessage(hWnd, WM_COMMAND, MAKELONG(e.cmd, 1), 0);
        return 1;
    }
    return 0;
}

// ---- Icons and cursors ------------------------------------------------------------------

namespace {

// An SVG icon drawn at the size asked for, when it is first asked for: a
// program start needs a few pictures, not every size of every icon.
class SvgIconEngine : public QIconEngine {
public:
    explicit SvgIconEngine(QByteArray data) : m_data(std::move(data)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        if (size.isEmpty())
            return QPixmap();
        const quint64 key = (quint64(size.width()) << 32) | (quint64(size.height()) << 2) | quint64(mode);
        if (auto it = m_pixmaps.constFind(key); it != m_pixmaps.constEnd())
            return *it;
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QSvgRenderer renderer(m_data);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        QPixmap result = QPixmap::fromImage(image);
        if (mode != QIcon::Normal && mode != QIcon::Active) {
            QStyleOption option;
            option.palette = QGuiApplication::palette();
            result = QApplication::style()->generatedIconPixmap(mode, result, &option);
        }
        m_pixmaps.insert(key, result);
        return result;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
    }
    QIconEngine* clone() const override { return new SvgIconEngine(*this); }

private:
    QByteArray m_data;
    QHash<quint64, QPixmap> m_pixmaps;
};

QIcon IconFromTemplate(const ImageTemplate& t)
{
    if (!qobject_cast<QGuiApplication*>(qApp))
        return QIcon();
    QByteArray data(reinterpret_cast<const char*>(t.data.data()), qsizetype(t.data.size()));
    if (std::strcmp(t.format, "svg") == 0)
        return QSvgRenderer(data).isValid() ? QIcon(new SvgIconEngine(std::move(data))) : QIcon();
    QIcon icon;
    QPixmap pixmap;
    if (pixmap.loadFromData(data))
        icon.addPixmap(pixmap);
    return icon;
}

// One icon per resource, shared by every handle loaded from it (the tray
// loads its picture again at every blink).
QIcon CachedIcon(UINT nID, const ImageTemplate& t)
{
    // Never destroyed: pixmaps must not outlive the application object.
    static auto* cache = new QHash<UINT, QIcon>;
    auto it = cache->find(nID);
    if (it == cache->end() || it->isNull())
        it = cache->insert(nID, IconFromTemplate(t));
    return *it;
}

} // namespace

HICON AfxLoadIconHandle(UINT nID, int)
{
    const ImageTemplate* t = AfxFindIcon(nID);
    if (!t)
        return nullptr;
    auto* icon = new QIcon(CachedIcon(nID, *t));
    g_icons.insert(icon, nID);
    return HandleFromIcon(icon);
}

UINT AfxIconResourceId(HICON hIcon) { return g_icons.value(IconFromHandle(hIcon), 0); }

const QIcon* AfxIconFromHandle(HICON hIcon)
{
    QIcon* icon = IconFromHandle(hIcon);
    return g_icons.contains(icon) ? icon : nullptr;
}

HICON LoadIconA(HINSTANCE, LPCSTR lpIconName)
{
    if (!IS_INTRESOURCE(lpIconName))
        return nullptr;
    return AfxLoadIconHandle(UINT(reinterpret_cast<std::uintptr_t>(lpIconName)));
}

HICON CopyIcon(HICON hIcon)
{
    QIcon* src = IconFromHandle(hIcon);
    if (!g_icons.contains(src))
        return nullptr;
    auto* copy = new QIcon(*src);
    g_icons.insert(copy, g_icons.value(src));
    return HandleFromIcon(copy);
}

BOOL DestroyIcon(HICON hIcon)
{
    QIcon* icon = IconFromHandle(hIcon);
    if (!g_icons.remove(icon))
        return FALSE;
    delete icon;
    return TRUE;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR lpCursorName)
{
    if (!IS_INTRESOURCE(lpCursorName))
        return nullptr;
    // Shared cursors, never freed (as Win32's system cursors).
    static QCursor* arrow = new QCursor(Qt::ArrowCursor);
    static QCursor* wait = new QCursor(Qt::WaitCursor);
    static QCursor* hand = new QCursor(Qt::PointingHandCursor);
    switch (UINT(reinterpret_cast<std::uintptr_t>(lpCursorName))) {
    case IDC_ARROW_ID: return reinterpret_cast<HCURSOR>(arrow);
    case IDC_WAIT_ID: return reinterpret_cast<HCURSOR>(wait);
    case IDC_HAND_ID: return reinterpret_cast<HCURSOR>(hand);
    default: return nullptr;
    }
}

HCURSOR SetCursor(HCURSOR hCursor)
{
    static HCURSOR current = nullptr;
    HCURSOR previous = current;
    current = hCursor;
    // The cursor belongs to the window asking in WM_SETCURSOR, else the one under the mouse.
    const MSG* m = CWnd::GetCurrentMessage();
    QWidget* target = nullptr;
    if (m->message == WM_SETCURSOR && m->wParam)
        target = WidgetFromHandle(reinterpret_cast<HWND>(m->wParam));
    else if (m->hwnd)
        target = WidgetFromHandle(m->hwnd);
    else if (qApp)
        target = QApplication::widgetAt(QCursor::pos());
    if (target && AfxIsLiveWidget(target)) {
        if (hCursor)
            target->setCursor(*reinterpret_cast<QCursor*>(hCursor));
        else
            target->unsetCursor();
    }
    return previous;
}

// ---- Small Win32 helpers ------------------------------------------------------------------

BOOL MessageBeep(UINT)
{
    if (AfxQtSeam().recording)
        ++AfxQtSeam().beeps;
    QApplication::beep();
    return TRUE;
}

LPSTR lstrcpynA(LPSTR dest, LPCSTR src, int maxLength)
{
    if (!dest || maxLength <= 0)
        return dest;
    if (!src)
        src = "";
    std::size_t len = std::strlen(src);
    std::size_t n = std::min<std::size_t>(len, std::size_t(maxLength - 1));
    // UTF-8 text is never cut inside a character.
    if (n < len && AfxIsValidUtf8(src, len))
        while (n > 0 && (static_cast<unsigned char>(src[n]) & 0xC0) == 0x80)
            --n;
    std::memcpy(dest, src, n);
    dest[n] = '\0';
    return dest;
}

UINT RegisterWindowMessageA(LPCSTR name)
{
    static std::map<std::string, UINT> registered;
    static UINT next = 0xC000;
    if (!name || !*name)
        return 0;
    std::string key(name);
    for (char& c : key)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    auto it = registered.find(key);
    if (it != registered.end())
        return it->second;
    if (next > 0xFFFF)
        return 0;
    registered.emplace(key, next);
    return next++;
}

int GetSystemMetrics(int index)
{
    QScreen* screen = qobject_cast<QGuiApplication*>(qApp) ? QGuiApplication::primaryScreen() : nullptr;
    switch (index) {
    case SM_CXSCREEN: return screen ? screen->geometry().width() : 0;
    case SM_CYSCREEN: return screen ? screen->geometry().height() : 0;
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    default: return 0;
    }
}

// ---- Fonts on widgets --------------------------------------------------------------------

void AfxApplyFont(QWidget* w, HFONT hFont)
{
    CFont* font = hFont ? CFont::FromHandle(hFont) : nullptr;
    LOGFONT lf;
    if (!font || !font->GetLogFont(&lf)) {
        w->setFont(QFont());
        return;
    }
    QFont f = w->font();
    if (lf.lfFaceName[0])
        f.setFamily(FromAnsi(lf.lfFaceName));
    if (lf.lfHeight != 0)
        f.setPixelSize(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight);
    f.setBold(lf.lfWeight >= FW_BOLD);
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    w->setFont(f);
}
