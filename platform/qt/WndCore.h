#pragma once
// Inside platform/ only: the window layer's own helpers on Qt types.

#include "platform/MessageMap.h"
#include "platform/portable/MessageDispatch.h"
#include "platform/qt/Seams.h"
#include "platform/Win32.h"

#include <QString>

class QWidget;
class QKeyEvent;
class QIcon;
class CWnd;


// Text of any widget kind: the caption of a window, the label of a button,
// the title of a group box, the text of a label or an edit.
QString AfxWidgetText(const QWidget* w);
void AfxSetWidgetText(QWidget* w, const QString& text);

// A widget that holds back work while redraw is off (WM_SETREDRAW FALSE).
class AfxRedrawTarget {
public:
    virtual void RedrawChanged(bool on) = 0;

protected:
    ~AfxRedrawTarget() = default;
};

// Default processing of a message by the window itself (no message map).
LRESULT AfxDefWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// The QIcon of a live icon handle, or null.
const QIcon* AfxIconFromHandle(HICON hIcon);
// Applies a font handle (CFont) to a widget.
void AfxApplyFont(QWidget* w, HFONT hFont);
// True for the widget of a dialog built from a template.
bool AfxIsDialogWidget(const QWidget* w);
// True while a modal window owned by w runs.
bool AfxIsModalDisabled(const QWidget* w);
void AfxSetWindowMenu(QWidget* w, HMENU hMenu);
bool AfxIsForeground(HWND hWnd);
// The widget with the keyboard focus (also in a window that is not active).
HWND AfxFocusWindow();

// True for a live window handle (not yet destroyed).
bool AfxIsLiveWidget(const QWidget* w);

// Modal state: the owner is reported disabled while a modal window it owns runs.
void AfxEnterModal(QWidget* owner, QWidget* modalWindow);
void AfxLeaveModal(QWidget* owner, QWidget* modalWindow);
// The innermost running modal window, or null.
QWidget* AfxTopModalWindow();
// The owner a message box or a modal dialog gets when none was given.
QWidget* AfxDefaultOwner();

// The application-wide key path: builds the MSG of a key press and runs the
// message filter and PreTranslateMessage. True when the key was consumed.
bool AfxPreTranslateKeyEvent(QWidget* receiver, QKeyEvent* event);
// Whether PostQuitMessage was called: no modal loop may start any more.
bool AfxQuitPosted();

// Runs the action queued for a modal dialog that is up (one per dialog).
void AfxRunQueuedModalAction(HWND hDlg);

// The system menu of a top-level window (created on first use).
HMENU AfxSystemMenu(QWidget* window, bool create);
// Builds a menu bar from a menu template; null when the id is unknown.
HMENU AfxLoadMenuBar(UINT nID);
// Makes the menu bar the menu of a window: its commands go there as WM_COMMAND.
void AfxSetMenuOwner(HMENU hMenu, QWidget* window, bool systemMenu);

// Runs a menu entry of a window (its menu bar, or its system menu) as a click would.
bool AfxInvokeMenuItem(HWND hWnd, UINT nID, bool systemMenu);
