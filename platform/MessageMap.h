#pragma once
// Message maps: each window class lists the messages it handles, and the one
// dispatcher (CWnd::OnWndMsg) walks the maps from the most derived class up.
// Every entry carries a small thunk that unpacks the message's parameters and
// calls the handler, so handlers keep their MFC signatures and stay type-safe.

#include "platform/Win32.h"

class CCmdTarget;

// Returns TRUE when the handler took the message; *result is the message result.
using AFX_PMSG = BOOL (*)(CCmdTarget* target, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // window message; 0 with pnMessage set for registered messages
    UINT nCode;     // notification code for WM_COMMAND / WM_NOTIFY
    UINT nID;       // first control or command id
    UINT nLastID;   // last id of a range
    AFX_PMSG pfn;
    const UINT* pnMessage = nullptr;  // registered message, read when dispatching
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The macros are laid out by hand, as tables.
// clang-format off
#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }              \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                \
    {                                                                                              \
        using ThisClass = theClass;                                                                \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, 0, nullptr, nullptr }                                                               \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

#define AFX_THUNK(body)                                                                            \
    [](CCmdTarget* t_, UINT m_, WPARAM w_, LPARAM l_, LRESULT* r_) -> BOOL {                       \
        (void)m_; (void)w_; (void)l_; (void)r_;                                                    \
        ThisClass* p_ = static_cast<ThisClass*>(t_);                                               \
        body;                                                                                      \
        return TRUE;                                                                               \
    }

// Commands (menu, accelerator) and control notifications.
#define ON_COMMAND(id, fn) {WM_COMMAND, 0, UINT(id), UINT(id), AFX_THUNK(p_->fn())},
#define ON_COMMAND_RANGE(first, last, fn)                                                          \
    {WM_COMMAND, 0, UINT(first), UINT(last), AFX_THUNK(p_->fn(LOWORD(w_)))},
#define ON_CONTROL(code, id, fn) {WM_COMMAND, UINT(code), UINT(id), UINT(id), AFX_THUNK(p_->fn())},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_STN_CLICKED(id, fn) ON_CONTROL(STN_CLICKED, id, fn)
#define ON_NOTIFY(code, id, fn)                                                                    \
    {WM_NOTIFY, UINT(code), UINT(id), UINT(id),                                                    \
     AFX_THUNK(p_->fn(reinterpret_cast<NMHDR*>(l_), r_))},

// Plain and registered messages: LRESULT fn(WPARAM, LPARAM).
#define ON_MESSAGE(msg, fn) {UINT(msg), 0, 0, 0, AFX_THUNK(*r_ = p_->fn(w_, l_))},
#define ON_REGISTERED_MESSAGE(var, fn) {0, 0, 0, 0, AFX_THUNK(*r_ = p_->fn(w_, l_)), &(var)},

// Window messages with their MFC handler signatures.
#define ON_WM_CREATE() {WM_CREATE, 0, 0, 0, AFX_THUNK(*r_ = p_->OnCreate(reinterpret_cast<void*>(l_)))},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, AFX_THUNK(p_->OnDestroy())},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, AFX_THUNK(p_->OnClose())},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, AFX_THUNK(p_->OnPaint())},
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, 0, AFX_THUNK(*r_ = reinterpret_cast<LRESULT>(p_->OnQueryDragIcon()))},
#define ON_WM_SIZE()                                                                               \
    {WM_SIZE, 0, 0, 0, AFX_THUNK(p_->OnSize(UINT(w_), LOWORD(UINT_PTR(l_)), HIWORD(UINT_PTR(l_))))},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, AFX_THUNK(p_->OnTimer(UINT_PTR(w_)))},
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, 0, AFX_THUNK(p_->OnSysCommand(UINT(w_), l_))},
#define ON_WM_HELPINFO()                                                                           \
    {WM_HELP, 0, 0, 0, AFX_THUNK(*r_ = p_->OnHelpInfo(reinterpret_cast<HELPINFO*>(l_)))},
#define ON_WM_KEYDOWN()                                                                            \
    {WM_KEYDOWN, 0, 0, 0, AFX_THUNK(p_->OnKeyDown(UINT(w_), UINT(l_ & 0xFFFF), UINT((l_ >> 16) & 0xFFFF)))},
#define ON_WM_MOUSEMOVE()                                                                          \
    {WM_MOUSEMOVE, 0, 0, 0, AFX_THUNK(p_->OnMouseMove(UINT(w_), CPoint(LOWORD(UINT_PTR(l_)), HIWORD(UINT_PTR(l_)))))},
#define ON_WM_LBUTTONDOWN()                                                                        \
    {WM_LBUTTONDOWN, 0, 0, 0, AFX_THUNK(p_->OnLButtonDown(UINT(w_), CPoint(LOWORD(UINT_PTR(l_)), HIWORD(UINT_PTR(l_)))))},
#define ON_WM_LBUTTONUP()                                                                          \
    {WM_LBUTTONUP, 0, 0, 0, AFX_THUNK(p_->OnLButtonUp(UINT(w_), CPoint(LOWORD(UINT_PTR(l_)), HIWORD(UINT_PTR(l_)))))},
#define ON_WM_SETFOCUS() {WM_SETFOCUS, 0, 0, 0, AFX_THUNK(p_->OnSetFocus(CWnd::FromHandle(HWND(w_))))},
#define ON_WM_KILLFOCUS() {WM_KILLFOCUS, 0, 0, 0, AFX_THUNK(p_->OnKillFocus(CWnd::FromHandle(HWND(w_))))},
#define ON_WM_SETCURSOR()                                                                          \
    {WM_SETCURSOR, 0, 0, 0, AFX_THUNK(*r_ = p_->OnSetCursor(CWnd::FromHandle(HWND(w_)), LOWORD(UINT_PTR(l_)), HIWORD(UINT_PTR(l_))))},
#define ON_WM_CAPTURECHANGED() {WM_CAPTURECHANGED, 0, 0, 0, AFX_THUNK(p_->OnCaptureChanged(CWnd::FromHandle(HWND(l_))))},
// clang-format on
