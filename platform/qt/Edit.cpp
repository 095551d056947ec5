#include "platform/Edit.h"

#include "platform/qt/ControlWidgets.h"
#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/TextCodec.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTextCursor>

#include <algorithm>
#include <limits>

namespace {

// Win32's limit when nobody set one, and what EM_LIMITTEXT 0 means.
constexpr int kDefaultLimit = 32767;
constexpr int kMaxLimit = std::numeric_limits<int>::max() - 1;

void GetSelection(QWidget* w, int& start, int& end)
{
    start = end = 0;
    if (auto* le = qobject_cast<QLineEdit*>(w)) {
        if (le->hasSelectedText()) {
            start = le->selectionStart();
            end = start + int(le->selectedText().size());
        } else {
            start = end = le->cursorPosition();
        }
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        QTextCursor c = pe->textCursor();
        start = c.selectionStart();
        end = c.selectionEnd();
    }
}

void SetSelection(QWidget* w, int start, int end)
{
    if (auto* le = qobject_cast<QLineEdit*>(w)) {
        int length = int(le->text().size());
        // Win32: a start of -1 removes the selection; an end of -1 means the end.
        if (start < 0) {
            le->deselect();
            return;
        }
        if (end < 0 || end > length)
            end = length;
        start = std::min(start, length);
        if (start > end)
            std::swap(start, end);
        le->setSelection(start, end - start);
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        QTextCursor c = pe->textCursor();
        int length = int(pe->toPlainText().size());
        if (start < 0) {
            c.clearSelection();
        } else {
            if (end < 0 || end > length)
                end = length;
            c.setPosition(std::min(start, length));
            c.setPosition(end, QTextCursor::KeepAnchor);
        }
        pe->setTextCursor(c);
    }
}

BOOL EditProc(QWidget* w, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    auto* le = qobject_cast<QLineEdit*>(w);
    auto* pe = qobject_cast<QPlainTextEdit*>(w);
    switch (message) {
    case EM_GETSEL: {
        int start = 0, end = 0;
        GetSelection(w, start, end);
        if (auto* p = reinterpret_cast<DWORD*>(wParam))
            *p = DWORD(start);
        if (auto* p = reinterpret_cast<DWORD*>(lParam))
            *p = DWORD(end);
        *result = LRESULT(MAKELONG(WORD(std::min(start, 0xFFFF)), WORD(std::min(end, 0xFFFF))));
        return TRUE;
    }
    case EM_SETSEL:
        SetSelection(w, int(wParam), int(lParam));
        *result = 0;
        return TRUE;
    case EM_REPLACESEL: {
        QString text = FromAnsi(reinterpret_cast<LPCSTR>(lParam) ? reinterpret_cast<LPCSTR>(lParam) : "");
        if (le)
            le->insert(text);
        else if (pe)
            pe->insertPlainText(text);
        *result = 0;
        return TRUE;
    }
    case EM_LIMITTEXT: {
        int limit = wParam == 0 || wParam > WPARAM(kMaxLimit) ? kMaxLimit : int(wParam);
        if (le)
            le->setMaxLength(limit);
        w->setProperty("talvoLimitText", limit);
        *result = 0;
        return TRUE;
    }
    case EM_GETLIMITTEXT: {
        QVariant v = w->property("talvoLimitText");
        *result = v.isValid() ? v.toInt() : kDefaultLimit;
        return TRUE;
    }
    case EM_SETREADONLY:
        if (le)
            le->setReadOnly(wParam != 0);
        else if (pe)
            pe->setReadOnly(wParam != 0);
        *result = TRUE;
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

QWidget* AfxCreateEditWidget(const DialogItemTemplate& item, QWidget* parent)
{
    QString text = FromAnsi(item.text ? item.text : "");
    // EDITTEXT gets a border unless the style is given in full without one.
    bool frame = !AfxIsFullStyle(item.style) || (item.style & WS_BORDER) || (item.exStyle & WS_EX_CLIENTEDGE);
    QWidget* w = nullptr;
    if (item.style & ES_MULTILINE) {
        auto* pe = new QPlainTextEdit(text, parent);
        pe->setReadOnly(item.style & ES_READONLY);
        pe->setFrameShape(frame ? QFrame::StyledPanel : QFrame::NoFrame);
        pe->setTabChangesFocus(true);
        QObject::connect(pe, &QPlainTextEdit::textChanged, pe, [pe]() { AfxNotifyCommand(pe, EN_CHANGE); });
        w = pe;
    } else {
        auto* le = new QLineEdit(text, parent);
        le->setFrame(frame);
        le->setReadOnly(item.style & ES_READONLY);
        le->setMaxLength(kDefaultLimit);
        // ES_NUMBER lets only digits be typed; text set by the program is not checked.
        if (item.style & ES_NUMBER)
            le->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), le));
        le->setContextMenuPolicy(Qt::DefaultContextMenu);
        QObject::connect(le, &QLineEdit::textChanged, le, [le]() { AfxNotifyCommand(le, EN_CHANGE); });
        w = le;
    }
    AfxSetWidgetProc(w, EditProc);
    return w;
}
