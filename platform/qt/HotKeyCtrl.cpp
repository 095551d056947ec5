#include "platform/HotKeyCtrl.h"

#include "platform/qt/ControlWidgets.h"
#include "platform/qt/Internal.h"
#include "platform/qt/KeyMap.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/WndCore.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>

namespace {

// Shows the key as the Swedish Windows field does ("Ctrl + Skift + F12",
// "Ingen" when empty) and takes one key with its Shift, Ctrl and Alt.
class HotKeyWidget : public QLineEdit {
public:
    WORD vk = 0;
    WORD modifiers = 0;

    explicit HotKeyWidget(QWidget* parent) : QLineEdit(parent)
    {
        setReadOnly(true);
        setContextMenuPolicy(Qt::NoContextMenu);
        Show();
    }

    void Set(WORD newVk, WORD newModifiers)
    {
        vk = newVk;
        modifiers = newVk ? newModifiers : 0;
        Show();
    }

    void Show()
    {
        QString text;
        if (modifiers & HOTKEYF_CONTROL)
            text += QStringLiteral("Ctrl + ");
        if (modifiers & HOTKEYF_SHIFT)
            text += QStringLiteral("Skift + ");
        if (modifiers & HOTKEYF_ALT)
            text += QStringLiteral("Alt + ");
        if (vk) {
            int key = AfxQtKeyFromVirtualKey(vk);
            text += key ? QKeySequence(key).toString(QKeySequence::NativeText)
                        : QStringLiteral("0x%1").arg(vk, 2, 16, QLatin1Char('0'));
        }
        setText(text.isEmpty() ? QStringLiteral("Ingen") : text);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        const int key = e->key();
        const Qt::KeyboardModifiers m = e->modifiers();
        WORD mods = 0;
        if (m & Qt::ShiftModifier) mods |= HOTKEYF_SHIFT;
        if (m & Qt::ControlModifier) mods |= HOTKEYF_CONTROL;
        if (m & Qt::AltModifier) mods |= HOTKEYF_ALT;
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            e->ignore();  // focus moves on
            return;
        }
        if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) && !mods) {
            Set(0, 0);
        } else if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
                   key == Qt::Key_Meta || key == Qt::Key_Super_L || key == Qt::Key_Super_R) {
            return;  // a modifier alone is not a hotkey
        } else if (UINT v = AfxVirtualKeyFromQtKey(key, int(m))) {
            Set(WORD(v), mods);
        } else {
            return;
        }
        AfxNotifyCommand(this, EN_CHANGE);
    }
};

HotKeyWidget* Field(HWND h) { return dynamic_cast<HotKeyWidget*>(WidgetFromHandle(h)); }

}  // namespace

QWidget* AfxCreateHotKeyWidget(const DialogItemTemplate&, QWidget* parent)
{
    return new HotKeyWidget(parent);
}

void CHotKeyCtrl::SetHotKey(WORD wVirtualKeyCode, WORD wModifiers)
{
    if (HotKeyWidget* w = Field(m_hWnd))
        w->Set(wVirtualKeyCode, wModifiers);
}

DWORD CHotKeyCtrl::GetHotKey() const
{
    HotKeyWidget* w = Field(m_hWnd);
    return w ? MAKEWORD(BYTE(w->vk), BYTE(w->modifiers)) : 0;
}

void CHotKeyCtrl::GetHotKey(WORD& wVirtualKeyCode, WORD& wModifiers) const
{
    HotKeyWidget* w = Field(m_hWnd);
    wVirtualKeyCode = w ? w->vk : 0;
    wModifiers = w ? w->modifiers : 0;
}
