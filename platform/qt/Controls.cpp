#include "platform/qt/ControlWidgets.h"
#include "platform/Font.h"
#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/Wnd.h"

#include <QFont>
#include <QFontInfo>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include <cstring>
#include <memory>

namespace {

// Dialog fonts as Win32 hands them to the controls (WM_SETFONT). They are
// shared by every dialog with the same font and live as long as the program.
HFONT SharedFontFor(const QFont& font)
{
    // Never destroyed, as stock objects are not: controls may end after
    // every static of the program.
    static auto* fonts = new QHash<QString, CFont*>;
    QString key = font.key();
    if (const CFont* f = fonts->value(key, nullptr))
        return HFONT(f->m_hObject);
    LOGFONT lf;
    QByteArray family = font.family().toUtf8();
    std::strncpy(lf.lfFaceName, family.constData(), LF_FACESIZE - 1);
    lf.lfHeight = -QFontInfo(font).pixelSize();
    lf.lfWeight = font.bold() ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.italic() ? 1 : 0;
    auto f = std::make_unique<CFont>();
    if (!f->CreateFontIndirect(&lf))
        return nullptr;
    const HFONT h = HFONT(f->m_hObject);
    fonts->insert(key, f.release());
    return h;
}

}  // namespace

QWidget* AfxCreateControlWidget(const DialogItemTemplate& item, QWidget* parent)
{
    if (!item.className || !parent)
        return nullptr;
    const char* c = item.className;
    QWidget* w = nullptr;
    if (qstricmp(c, "Button") == 0)
        w = AfxCreateButtonWidget(item, parent);
    else if (qstricmp(c, "Edit") == 0)
        w = AfxCreateEditWidget(item, parent);
    else if (qstricmp(c, "Static") == 0)
        w = AfxCreateStaticWidget(item, parent);
    else if (qstricmp(c, "SysListView32") == 0)
        w = AfxCreateListWidget(item, parent);
    else if (qstricmp(c, "SysDateTimePick32") == 0)
        w = AfxCreateDateTimeWidget(item, parent);
    else if (qstricmp(c, "msctls_updown32") == 0)
        w = AfxCreateUpDownWidget(item, parent);
    else if (qstricmp(c, "msctls_hotkey32") == 0)
        w = AfxCreateHotKeyWidget(item, parent);
    if (!w)
        return nullptr;
    w->setProperty(kStyleProperty, uint(item.style));
    w->setProperty(kClassProperty, QByteArray(item.className));
    // Every dialog control starts with the dialog's font, so GetFont answers.
    if (HFONT h = SharedFontFor(parent->font()))
        ::SendMessage(HandleFromWidget(w), WM_SETFONT, reinterpret_cast<WPARAM>(h), FALSE);
    return w;
}

namespace {

// Ids live beside the widgets rather than as dynamic properties: a property
// lookup walks the whole meta-object chain first, and every notification
// asks for the id.
QHash<const QObject*, int>& ControlIds()
{
    static auto* ids = new QHash<const QObject*, int>;  // outlives every widget
    return *ids;
}

}  // namespace

void AfxSetControlId(QWidget* control, int id)
{
    QHash<const QObject*, int>& ids = ControlIds();
    if (!ids.contains(control))
        QObject::connect(control, &QObject::destroyed, [](QObject* o) { ControlIds().remove(o); });
    ids.insert(control, id);
}

bool AfxHasControlId(const QWidget* control) { return control && ControlIds().contains(control); }

UINT AfxControlId(const QWidget* control)
{
    return control ? UINT(ControlIds().value(control, 0)) : 0;
}

void AfxNotifyCommand(QWidget* control, UINT code)
{
    if (!control || !control->parentWidget())
        return;
    ::SendMessage(HandleFromWidget(control->parentWidget()), WM_COMMAND,
                  MAKELONG(WORD(AfxControlId(control)), WORD(code)),
                  reinterpret_cast<LPARAM>(HandleFromWidget(control)));
}

LRESULT AfxNotifyParent(QWidget* control, NMHDR* hdr, int code)
{
    if (!control || !hdr || !control->parentWidget())
        return 0;
    hdr->hwndFrom = HandleFromWidget(control);
    hdr->idFrom = AfxControlId(control);
    hdr->code = code;
    return ::SendMessage(HandleFromWidget(control->parentWidget()), WM_NOTIFY, WPARAM(hdr->idFrom),
                         reinterpret_cast<LPARAM>(hdr));
}
