#pragma once
// Inside platform/ only: the widgets behind the Win32 control classes of the
// dialog templates, and how controls notify their parent.

#include "platform/Resource.h"
#include "platform/Win32.h"

class QWidget;

QWidget* AfxCreateButtonWidget(const DialogItemTemplate& item, QWidget* parent);
QWidget* AfxCreateEditWidget(const DialogItemTemplate& item, QWidget* parent);
QWidget* AfxCreateStaticWidget(const DialogItemTemplate& item, QWidget* parent);
QWidget* AfxCreateListWidget(const DialogItemTemplate& item, QWidget* parent);
QWidget* AfxCreateDateTimeWidget(const DialogItemTemplate& item, QWidget* parent);
QWidget* AfxCreateUpDownWidget(const DialogItemTemplate& item, QWidget* parent);
QWidget* AfxCreateHotKeyWidget(const DialogItemTemplate& item, QWidget* parent);

// The control's id (0 before the dialog builder gave it one).
UINT AfxControlId(const QWidget* control);
// WM_COMMAND MAKELONG(id, code) with the control's handle, to its parent.
void AfxNotifyCommand(QWidget* control, UINT code);
// WM_NOTIFY to the control's parent; hdr's sender fields are filled in here.
LRESULT AfxNotifyParent(QWidget* control, NMHDR* hdr, int code);
// True when a template style is written out in full (with WS_CHILD); short
// styles get the resource compiler's defaults.
inline bool AfxIsFullStyle(DWORD style) { return (style & WS_CHILD) != 0; }
