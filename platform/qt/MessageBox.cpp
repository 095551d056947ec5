#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/Seams.h"
#include "platform/Resource.h"
#include "platform/qt/TextCodec.h"
#include "platform/WinApp.h"
#include "platform/qt/WndCore.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <algorithm>

// Message boxes: QMessageBox with the Swedish buttons of Win32 in Swedish.

namespace {

struct ButtonChoice {
    int id;
    const char* label;
    QMessageBox::ButtonRole role;
};

std::vector<ButtonChoice> ButtonsFor(UINT type)
{
    const ButtonChoice ok{int(IDOK), "OK", QMessageBox::AcceptRole};
    const ButtonChoice cancel{int(IDCANCEL), "Avbryt", QMessageBox::RejectRole};
    const ButtonChoice yes{int(IDYES), "Ja", QMessageBox::YesRole};
    const ButtonChoice no{int(IDNO), "Nej", QMessageBox::NoRole};
    const ButtonChoice abort{int(IDABORT), "Avbryt", QMessageBox::RejectRole};
    const ButtonChoice retry{int(IDRETRY), "F\xC3\xB6rs\xC3\xB6k igen", QMessageBox::AcceptRole};
    const ButtonChoice ignore{int(IDIGNORE), "Ignorera", QMessageBox::AcceptRole};
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {ok, cancel};
    case MB_ABORTRETRYIGNORE: return {abort, retry, ignore};
    case MB_YESNOCANCEL: return {yes, no, cancel};
    case MB_YESNO: return {yes, no};
    case MB_RETRYCANCEL: return {retry, cancel};
    default: return {ok};
    }
}

QMessageBox::Icon IconFor(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int ShowMessageBox(HWND hWnd, LPCSTR text, LPCSTR caption, UINT type, UINT iconType)
{
    QWidget* owner = hWnd && IsWindow(hWnd) ? WidgetFromHandle(hWnd)->window() : nullptr;
    QString qCaption = FromAnsi(caption ? caption : AfxGetAppName());
    QString qText = FromAnsi(text ? text : "");

    // A hidden owner (the main window in the tray) must not hide its box.
    QWidget* parent = owner && owner->isVisible() ? owner : nullptr;
    QMessageBox box(IconFor(iconType), qCaption, qText, QMessageBox::NoButton, parent);
    std::vector<ButtonChoice> choices = ButtonsFor(type);
    std::vector<QAbstractButton*> buttons;
    for (const ButtonChoice& s : choices)
        buttons.push_back(box.addButton(FromAnsi(s.label), s.role));
    std::size_t def = (type & MB_DEFMASK) >> 8;
    if (def >= choices.size())
        def = 0;
    if (auto* pb = qobject_cast<QPushButton*>(buttons[def]))
        box.setDefaultButton(pb);
    // Esc answers Cancel where there is one; a lone OK also takes Esc.
    int escape = -1;
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].id == int(IDCANCEL))
            escape = int(i);
    if (escape < 0 && choices.size() == 1)
        escape = 0;
    if (escape >= 0)
        box.setEscapeButton(buttons[std::size_t(escape)]);

    AfxQtSeams& seam = AfxQtSeam();
    int answer = choices[def].id;
    if (seam.answerMessageBoxes) {
        // Answered in place of the user; an answer the box cannot give falls
        // back to its default button.
        if (!seam.messageBoxAnswers.empty()) {
            int queued = seam.messageBoxAnswers.front();
            seam.messageBoxAnswers.pop_front();
            if (std::any_of(choices.begin(), choices.end(), [queued](const ButtonChoice& s) { return s.id == queued; }))
                answer = queued;
        }
    } else {
        QPointer<QWidget> ownerGuard = owner;
        AfxEnterModal(owner, &box);
        if (!AfxQuitPosted())
            box.exec();
        AfxLeaveModal(ownerGuard, &box);
        QAbstractButton* clicked = box.clickedButton();
        auto it = std::find(buttons.begin(), buttons.end(), clicked);
        if (it != buttons.end())
            answer = choices[std::size_t(it - buttons.begin())].id;
        else if (escape >= 0)
            answer = choices[std::size_t(escape)].id;
    }

    if (!seam.recording)
        return answer;
    AfxMessageBoxRecord record;
    record.text = ToAnsi(qText).toStdString();
    record.caption = ToAnsi(qCaption).toStdString();
    record.type = type;
    for (QAbstractButton* b : buttons)
        record.buttons.push_back(ToAnsi(b->text()).toStdString());
    record.owner = owner ? HandleFromWidget(owner) : nullptr;
    record.answer = answer;
    seam.messageBoxes.push_back(record);
    return answer;
}

}  // namespace

int MessageBoxA(HWND hWnd, LPCSTR text, LPCSTR caption, UINT type)
{
    return ShowMessageBox(hWnd, text, caption, type, type);
}

int AfxMessageBox(LPCSTR text, UINT type, UINT)
{
    // MFC gives a box without an icon the one that fits its buttons; the
    // hook records the type as asked.
    UINT icon = type;
    if ((type & MB_ICONMASK) == 0) {
        switch (type & MB_TYPEMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL: icon |= MB_ICONQUESTION; break;
        default: icon |= MB_ICONEXCLAMATION; break;
        }
    }
    QWidget* owner = AfxDefaultOwner();
    return ShowMessageBox(owner ? HandleFromWidget(owner) : nullptr, text, AfxGetAppName(), type, icon);
}

int AfxMessageBox(UINT nIDPrompt, UINT type, UINT nIDHelp)
{
    const char* text = AfxFindString(nIDPrompt);
    return AfxMessageBox(text ? text : "", type, nIDHelp);
}
