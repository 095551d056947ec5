#pragma once
// Inside platform/win32 only: how its pieces reach each other.

#include "platform/Resource.h"
#include "platform/Wnd.h"

#include <string>
#include <string_view>
#include <vector>

class CDialog;
class CImageList;

// Narrow text is UTF-8 (the manifest makes it the process's code page); the
// wide calls get it converted.
std::wstring AfxWide(std::string_view text);
std::string AfxNarrow(std::wstring_view text);
// Copies UTF-8 text into a field of size bytes with its terminating null,
// cut before a character that does not fit whole.
void AfxCopyText(char* to, std::size_t size, std::string_view from);

// The window procedure of every window a CWnd stands for: it routes each
// message to CWnd::WindowProc, and the window's own procedure is reached
// through CWnd::DefWindowProc.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Ties pWnd to hWnd and puts AfxWndProc in front of the window's procedure.
void AfxHookWindow(CWnd* pWnd, HWND hWnd);
// The procedure AfxWndProc stands in front of, for DefWindowProc.
WNDPROC AfxSuperWndProc(HWND hWnd);

// The in-memory DLGTEMPLATEEX of t, as the dialog manager reads it.
std::vector<WORD> AfxBuildDialogTemplate(const DialogTemplate& t);
// Builds the in-memory dialog template of t (font, controls) and creates the
// dialog, owned by hOwner, for pDialog, with the menu bar hMenu (or none).
// Null on failure.
HWND AfxCreateDialogWindow(const DialogTemplate& t, HWND hOwner, CDialog* pDialog, HMENU hMenu = nullptr);
// A menu bar or popup built from a menu template; null when the id is unknown.
HMENU AfxBuildMenu(UINT nID);

// Whether WM_QUIT was seen by a loop: every later loop ends at once.
bool AfxQuitPosted();
void AfxNoteQuit(int exitCode);
// One turn of a message loop: gets, filters and dispatches the next message.
// hModal is the modal dialog of a modal loop (its keys stay in it), else
// null. False when WM_QUIT arrived.
bool AfxPumpMessage(HWND hModal);
// The innermost modal dialog whose loop runs, or null.
HWND AfxModalWindow();
// The same for a message already taken from the queue.
void AfxDispatchMessage(MSG& msg, HWND hModal);
// Deletes the temporary CWnd wrappers (at idle, as MFC does).
void AfxDeleteTemporaryWnds();

// The CImageList that made hImageList, or null.
CImageList* AfxImageListFromHandle(HIMAGELIST hImageList);
