#include "platform/WinApp.h"

#include "platform/Font.h"
#include "platform/Menu.h"
#include "platform/Registry.h"
#include "platform/Resource.h"
#include "platform/Sound.h"
#include "platform/Trace.h"
#include "platform/qt/ControlWidgets.h"
#include "platform/qt/Internal.h"
#include "platform/qt/KeyMap.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/TextCodec.h"
#include "platform/qt/WndCore.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include <unistd.h>

#include <cerrno>
#include <cstring>
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
std::vector<std::string> g_arguments;  // without the program's name
int g_quitCode = 0;
int g_instanceTag = 0;

// Modal state: every running modal window, innermost last, with its owner.
struct ModalEntry {
    QPointer<QWidget> owner;
    QPointer<QWidget> window;
};
std::vector<ModalEntry> g_modal;

// The application object: every key press passes the message filter first.
class CTalvoApplication : public QApplication {
public:
    CTalvoApplication(int& argc, char** argv) : QApplication(argc, argv), m_lifetime(new QObject(this)) {}

    // What the platform keeps for the program's lifetime ends here, while
    // the application still works.
    ~CTalvoApplication() override { delete m_lifetime.data(); }

    QObject* Lifetime() const { return m_lifetime; }

private:
    QPointer<QObject> m_lifetime;

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

}  // namespace

// ---- The application object ------------------------------------------------------

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
}  // namespace

void PostQuitMessage(int nExitCode)
{
    g_bQuitPosted = true;
    g_quitCode = nExitCode;
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

QObject* AfxProgramLifetime()
{
    if (auto* app = dynamic_cast<CTalvoApplication*>(QCoreApplication::instance()))
        return app->Lifetime();
    return QCoreApplication::instance();
}

int CWinApp::ExitInstance() { return g_quitCode; }

BOOL CWinApp::ProcessMessageFilter(int, LPMSG) { return FALSE; }

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    if (!pMsg || !IsWindow(pMsg->hwnd))
        return FALSE;
    return CWnd::WalkPreTranslateTree(HandleFromWidget(WidgetFromHandle(pMsg->hwnd)->window()), pMsg);
}

HICON CWinApp::LoadIcon(UINT nIDResource) const { return AfxLoadIconHandle(nIDResource); }

void CWinApp::OnHelp() { Trace("No help file.\n"); }

CWinApp* AfxGetApp() { return g_pApp; }
CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }
HINSTANCE AfxGetInstanceHandle() { return reinterpret_cast<HINSTANCE>(&g_instanceTag); }
void AfxEnableControlContainer() {}

const std::vector<std::string>& AfxGetArguments() { return g_arguments; }

BOOL AfxWriteStandardStream(LPCSTR text, BOOL toError)
{
    const int fd = toError ? STDERR_FILENO : STDOUT_FILENO;
    std::size_t left = text ? std::strlen(text) : 0;
    while (left > 0) {
        const ssize_t n = ::write(fd, text, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return FALSE;
        text += n;
        left -= std::size_t(n);
    }
    return TRUE;
}

BOOL AfxStandardStreamIsTerminal(BOOL toError) { return ::isatty(toError ? STDERR_FILENO : STDOUT_FILENO) == 1; }

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

    g_arguments.assign(g_argStorage.begin() + 1, g_argStorage.end());
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

namespace {

// The end of the program in one order, whatever way it came: the windows
// still open (a session's end leaves them, as Windows does) are destroyed as
// a close would, so their hotkeys, timers and tray icon go first; then the
// settings left to write; then the application object with what it owns.
void AfxWinTerm()
{
    if (CWnd* main = AfxGetMainWnd(); main && ::IsWindow(main->m_hWnd))
        main->DestroyWindow();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (const HWND h = HandleFromWidget(w); ::IsWindow(h) && CWnd::FromHandlePermanent(h))
            ::DestroyWindow(h);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    RegFlushKey(HKEY_CURRENT_USER);
    delete qApp;
}

}  // namespace

int AfxWinMain(int argc, char** argv)
{
    CWinApp* app = AfxGetApp();
    if (!app || !AfxWinInit(argc, argv))
        return -1;
    const int result = app->InitInstance() ? app->Run() : app->ExitInstance();
    AfxWinTerm();
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
