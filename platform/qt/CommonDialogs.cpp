#include "platform/CommonDialogs.h"

#include "platform/qt/QtHandles.h"
#include "platform/qt/Seams.h"
#include "platform/qt/TextCodec.h"
#include "platform/WinApp.h"
#include "platform/qt/WndCore.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QTimer>
#include <QTreeView>

#include <cstring>
#include <deque>

namespace {

DWORD g_lastError = 0;

using FilterList = std::vector<std::pair<std::string, std::string>>;

// The double-NUL list of description and pattern pairs.
FilterList ParseFilter(LPCSTR filter)
{
    FilterList list;
    if (!filter)
        return list;
    const char* p = filter;
    while (*p) {
        std::string description = p;
        p += description.size() + 1;
        if (!*p)
            break;  // a description without pattern ends the list
        std::string pattern = p;
        p += pattern.size() + 1;
        list.emplace_back(std::move(description), std::move(pattern));
    }
    return list;
}

// "Ljudfiler" and "*.wav;*.WAV" become "Ljudfiler (*.wav *.WAV)"; "*.*" is every file.
QString QtNameFilter(const std::pair<std::string, std::string>& entry)
{
    QStringList patterns;
    for (const QString& p : FromAnsi(entry.second.c_str()).split(u';', Qt::SkipEmptyParts)) {
        QString t = p.trimmed();
        patterns << (t == QLatin1String("*.*") ? QStringLiteral("*") : t);
    }
    if (patterns.isEmpty())
        patterns << QStringLiteral("*");
    return FromAnsi(entry.first.c_str()) + QStringLiteral(" (") + patterns.join(u' ') + u')';
}

std::string FolderOf(const std::string& path)
{
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path)
{
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithDefaultExt(const std::string& path, LPCSTR defaultExt)
{
    if (!defaultExt || !*defaultExt)
        return path;
    std::string name = NameOf(path);
    if (name.empty() || name.find('.') != std::string::npos)
        return path;
    std::string ext = defaultExt;
    if (ext.front() == '.')
        ext.erase(0, 1);
    return path + "." + ext;
}

bool FileExists(const std::string& path) { return QFileInfo::exists(FromAnsi(path.c_str())); }

bool AskOverwrite(HWND owner, const std::string& path, const char* caption)
{
    std::string text = NameOf(path) + " finns redan.\nVill du ersätta den?";
    return MessageBoxA(owner, text.c_str(), caption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

struct DialogChoice {
    std::vector<std::string> paths;
    DWORD filterIndex = 0;
};

class CFileDialogWidget : public QFileDialog {
public:
    CFileDialogWidget(QWidget* parent, bool askOverwrite) : QFileDialog(parent), m_bAskOverwrite(askOverwrite) {}

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (!files.isEmpty() && !MayReplace(files.first()))
            return;
        QFileDialog::accept();
    }

    // Takes a choice made in place of the user, with the checks the user's
    // own choice gets; false when the dialog would stay open.
    bool AcceptChoice(const QStringList& paths)
    {
        if (paths.isEmpty() || QFileInfo(paths.first()).isDir() || !MayReplace(paths.first()))
            return false;
        m_chosen = paths;
        QDialog::accept();
        return true;
    }
    const QStringList& Chosen() const { return m_chosen; }

private:
    bool MayReplace(const QString& file)
    {
        if (!m_bAskOverwrite || acceptMode() != AcceptSave)
            return true;
        QFileInfo info(file);
        if (!info.exists() || info.isDir())
            return true;
        QByteArray path = ToAnsi(file);
        QByteArray caption = ToAnsi(windowTitle());
        return AskOverwrite(HandleFromWidget(this), path.toStdString(), caption.constData());
    }

    bool m_bAskOverwrite;
    QStringList m_chosen;
};

// Answers a real dialog from the queue in place of the user: picks the type,
// then offers the names until the dialog takes them.
void PlayAnswers(CFileDialogWidget& dialog, const QStringList& nameFilters, bool mustExist)
{
    while (!AfxQtSeam().fileDialogAnswers.empty()) {
        AfxFileDialogAnswer answer = AfxQtSeam().fileDialogAnswers.front();
        AfxQtSeam().fileDialogAnswers.pop_front();
        if (answer.cancel || answer.paths.empty())
            break;
        if (answer.filterIndex >= 1 && answer.filterIndex <= DWORD(nameFilters.size()))
            dialog.selectNameFilter(nameFilters[int(answer.filterIndex - 1)]);
        QStringList paths;
        for (const std::string& p : answer.paths) {
            QString path = FromAnsi(p.c_str());
            paths << (QFileInfo(path).isAbsolute() ? path : dialog.directory().absoluteFilePath(path));
        }
        if (mustExist && !QFileInfo::exists(paths.first()))
            continue;
        if (!dialog.defaultSuffix().isEmpty())
            for (QString& p : paths)
                if (!QFileInfo(p).fileName().contains(u'.'))
                    p += u'.' + dialog.defaultSuffix();
        if (dialog.AcceptChoice(paths))
            return;
    }
    dialog.reject();
}

bool RunRealDialog(bool open, const OPENFILENAMEA& ofn, const FilterList& filters, const std::string& title,
                   const std::string& startDir, const std::string& startFile, DialogChoice& choice)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        g_lastError = CDERR_INITIALIZATION;
        return false;
    }
    CFileDialogWidget dialog(WidgetFromHandle(ofn.hwndOwner), open == false && (ofn.Flags & OFN_OVERWRITEPROMPT));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setWindowTitle(FromAnsi(title.c_str()));
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (open && (ofn.Flags & OFN_ALLOWMULTISELECT))
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else if (open && (ofn.Flags & OFN_FILEMUSTEXIST))
        dialog.setFileMode(QFileDialog::ExistingFile);
    else
        dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Leta i:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Filnamn:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Filformat:"));
    dialog.setLabelText(QFileDialog::Accept, open ? QStringLiteral("&Öppna") : QStringLiteral("&Spara"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Avbryt"));
    if (ofn.lpstrDefExt && *ofn.lpstrDefExt)
        dialog.setDefaultSuffix(FromAnsi(ofn.lpstrDefExt));
    // Size, type and date show whole, as in Windows' details view; the name
    // takes the rest.
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    dialog.resize(dialog.sizeHint().expandedTo(QSize(720, 440)));

    QStringList nameFilters;
    for (const auto& f : filters)
        nameFilters << QtNameFilter(f);
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
        DWORD index = ofn.nFilterIndex;
        if (index == 0 || index > DWORD(nameFilters.size()))
            index = 1;
        dialog.selectNameFilter(nameFilters[int(index - 1)]);
    }
    if (!startDir.empty())
        dialog.setDirectory(FromAnsi(startDir.c_str()));
    if (!startFile.empty())
        dialog.selectFile(FromAnsi(startFile.c_str()));

    if (!AfxQtSeam().fileDialogAnswers.empty())
        QTimer::singleShot(0, &dialog, [&dialog, nameFilters, &ofn, open] {
            PlayAnswers(dialog, nameFilters, open && (ofn.Flags & OFN_FILEMUSTEXIST));
        });
    if (AfxQuitPosted() || dialog.exec() != QDialog::Accepted)
        return false;
    for (const QString& f : dialog.Chosen().isEmpty() ? dialog.selectedFiles() : dialog.Chosen())
        choice.paths.push_back(ToAnsi(f).toStdString());
    // With the details hidden Qt may report the filter as shown (the description).
    QString selected = dialog.selectedNameFilter();
    int index = nameFilters.indexOf(selected);
    for (int i = 0; index < 0 && i < int(filters.size()); ++i)
        if (FromAnsi(filters[std::size_t(i)].first.c_str()) == selected)
            index = i;
    choice.filterIndex = index >= 0 ? DWORD(index + 1) : ofn.nFilterIndex;
    return !choice.paths.empty();
}

// Without a QApplication there is no dialog to show: the queued answers are
// taken with the same checks. False when they end in a cancel.
bool RunScriptedDialog(bool open, const OPENFILENAMEA& ofn, const std::string& title, const std::string& startDir,
                       DialogChoice& choice)
{
    while (!AfxQtSeam().fileDialogAnswers.empty()) {
        AfxFileDialogAnswer answer = AfxQtSeam().fileDialogAnswers.front();
        AfxQtSeam().fileDialogAnswers.pop_front();
        if (answer.cancel || answer.paths.empty())
            return false;
        choice.paths.clear();
        std::string base = startDir.empty() ? ToAnsi(QDir::currentPath()).toStdString() : startDir;
        if (!base.empty() && base.back() != '/')
            base += '/';
        for (const std::string& p : answer.paths)
            choice.paths.push_back(WithDefaultExt(!p.empty() && p.front() == '/' ? p : base + p, ofn.lpstrDefExt));
        choice.filterIndex = answer.filterIndex ? answer.filterIndex : ofn.nFilterIndex;
        const std::string& first = choice.paths.front();
        if (open && (ofn.Flags & OFN_FILEMUSTEXIST) && !FileExists(first))
            continue;
        if (!open && (ofn.Flags & OFN_OVERWRITEPROMPT) && FileExists(first) &&
            !AskOverwrite(ofn.hwndOwner, first, title.c_str()))
            continue;
        return true;
    }
    return false;
}

// Writes the choice into the caller's buffer as Win32 lays it out.
bool StoreChoice(OPENFILENAMEA& ofn, const DialogChoice& choice)
{
    std::string buffer;
    std::size_t nameOffset = 0;
    if (choice.paths.size() == 1 || !(ofn.Flags & OFN_ALLOWMULTISELECT)) {
        buffer = choice.paths.front();
        nameOffset = FolderOf(buffer).size();
        buffer += '\0';
        if (ofn.Flags & OFN_ALLOWMULTISELECT)
            buffer += '\0';
    } else {
        std::string folder = FolderOf(choice.paths.front());
        if (folder.size() > 1)
            folder.pop_back();
        buffer = folder;
        buffer += '\0';
        nameOffset = buffer.size();
        for (const std::string& p : choice.paths) {
            buffer += NameOf(p);
            buffer += '\0';
        }
        buffer += '\0';
    }
    if (buffer.size() > ofn.nMaxFile || buffer.size() > 0xFFFF) {
        g_lastError = FNERR_BUFFERTOOSMALL;
        return false;
    }
    std::memcpy(ofn.lpstrFile, buffer.data(), buffer.size());
    ofn.nFileOffset = WORD(nameOffset);
    std::string name = NameOf(choice.paths.front());
    std::size_t dot = name.find_last_of('.');
    ofn.nFileExtension = WORD(dot == std::string::npos ? choice.paths.front().size()
                                                       : nameOffset + dot + 1);
    if (ofn.lpstrFileTitle && ofn.nMaxFileTitle > name.size()) {
        std::memcpy(ofn.lpstrFileTitle, name.c_str(), name.size() + 1);
    }
    ofn.nFilterIndex = choice.filterIndex;
    return true;
}

BOOL RunFileDialog(bool open, LPOPENFILENAMEA ofn)
{
    g_lastError = 0;
    if (!ofn || (ofn->lStructSize != sizeof(OPENFILENAMEA) && ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A)) {
        g_lastError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
        g_lastError = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    std::string current(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile));
    FilterList filters = ParseFilter(ofn->lpstrFilter);
    std::string title = ofn->lpstrTitle ? ofn->lpstrTitle : (open ? "Öppna" : "Spara som");
    std::string startDir = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "";
    std::string startFile = current;
    if (startDir.empty() && !FolderOf(current).empty()) {
        startDir = FolderOf(current);
        startFile = NameOf(current);
    }

    if (AfxQtSeam().recording) {
        AfxFileDialogRequest request;
        request.open = open;
        request.owner = ofn->hwndOwner;
        request.title = ofn->lpstrTitle ? ofn->lpstrTitle : "";
        request.initialDir = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "";
        request.initialFile = current;
        request.filters = filters;
        request.filterIndex = ofn->nFilterIndex;
        request.defaultExt = ofn->lpstrDefExt ? ofn->lpstrDefExt : "";
        request.flags = ofn->Flags;
        request.structSize = ofn->lStructSize;
        request.maxFile = ofn->nMaxFile;
        AfxQtSeam().fileDialogRequests.push_back(request);
    }

    DialogChoice choice;
    bool haveApp = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    bool chosen = haveApp || AfxQtSeam().fileDialogAnswers.empty()
                      ? RunRealDialog(open, *ofn, filters, title, startDir, startFile, choice)
                      : RunScriptedDialog(open, *ofn, title, startDir, choice);
    if (!chosen)
        return FALSE;
    return StoreChoice(*ofn, choice) ? TRUE : FALSE;
}

}  // namespace

BOOL GetOpenFileNameA(LPOPENFILENAMEA lpofn) { return RunFileDialog(true, lpofn); }
BOOL GetSaveFileNameA(LPOPENFILENAMEA lpofn) { return RunFileDialog(false, lpofn); }
DWORD CommDlgExtendedError() { return g_lastError; }
