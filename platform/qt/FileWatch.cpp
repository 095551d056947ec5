// Watching a data file with QFileSystemWatcher (inotify): the file itself for
// writes in place, its folder for renames, deletions and creations. The
// watcher is a child of the window's widget, so it ends with the window.

#include "platform/FileWatch.h"

#include "platform/qt/QtHandles.h"
#include "platform/Wnd.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWidget>

bool AfxIsLiveWidget(const QWidget* w);

namespace {

// A burst (a write in pieces, a temporary file renamed over) is told once,
// when it has been quiet this long; a stream of writes still every second.
constexpr int kSettleMs = 200;
constexpr qint64 kLongestWaitMs = 1000;

class FileWatch : public QObject {
public:
    FileWatch(QWidget* owner, HWND hWnd, const QString& file, UINT message)
        : QObject(owner), m_hWnd(hWnd), m_file(file), m_message(message), m_watcher(this)
    {
        m_settle.setSingleShot(true);
        connect(&m_settle, &QTimer::timeout, this, [this] { Tell(); });
        connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { Changed(); });
        connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { Changed(); });
    }

    bool Start()
    {
        const bool folder = m_watcher.addPath(QFileInfo(m_file).absolutePath());
        WatchFile();
        return folder;
    }

private:
    // A file replaced by a rename or deleted drops out of the watch; the new
    // one is watched again.
    void WatchFile()
    {
        if (!m_watcher.files().contains(m_file) && QFileInfo::exists(m_file))
            m_watcher.addPath(m_file);
    }

    void Changed()
    {
        WatchFile();
        if (!m_pending.isValid())
            m_pending.start();
        if (m_pending.elapsed() >= kLongestWaitMs)
            Tell();
        else
            m_settle.start(kSettleMs);
    }

    void Tell()
    {
        m_settle.stop();
        m_pending.invalidate();
        ::PostMessage(m_hWnd, m_message, 0, 0);
    }

    HWND m_hWnd;
    QString m_file;
    UINT m_message;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QElapsedTimer m_pending;
};

QHash<HWND, QPointer<FileWatch>>& Watches()
{
    static QHash<HWND, QPointer<FileWatch>> watches;
    return watches;
}

}  // namespace

BOOL AfxWatchFile(HWND hWnd, LPCSTR path, UINT message)
{
    if (QPointer<FileWatch> old = Watches().take(hWnd))
        delete old.data();
    QWidget* owner = WidgetFromHandle(hWnd);
    if (!path || !*path || !AfxIsLiveWidget(owner))
        return FALSE;
    const QString file = QFileInfo(QFile::decodeName(path)).absoluteFilePath();
    auto* watch = new FileWatch(owner, hWnd, file, message);
    if (!watch->Start()) {
        delete watch;
        return FALSE;
    }
    Watches().insert(hWnd, watch);
    return TRUE;
}
