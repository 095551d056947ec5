#pragma once
// Inside platform/ only: turns a dialog template into widgets.

#include "platform/Resource.h"
#include "platform/Win32.h"

#include <QDialog>
#include <QFont>
#include <QPointer>

class CWnd;
class QMenuBar;

// The window of a template dialog. Qt's own Esc/Enter/close handling is
// switched off: keys go through PreTranslateMessage, the close button sends
// WM_CLOSE, and iconifying sends WM_SIZE with SIZE_MINIMIZED.
class CDialogWidget : public QDialog {
public:
    CDialogWidget(QWidget* parent, Qt::WindowFlags flags);

    void SetMenuBar(QMenuBar* bar);
    QMenuBar* MenuBar() const { return m_pMenuBar; }

    void accept() override {}
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    QMenuBar* m_pMenuBar = nullptr;
    bool m_bMinimized = false;
    // The control that had the focus when the window was hidden, as Windows'
    // dialogs keep it while inactive; it gets it back when shown.
    QPointer<QWidget> m_pHiddenFocus;
    // Set when the window went inactive or hidden: after its next repaint the
    // style's cached pixmaps are dropped (see DropPixmapsWhenIdle).
    bool m_bDropPixmaps = false;
};

// Dialog base units (pixels per 4 horizontal / 8 vertical dialog units).
struct DialogBaseUnits {
    int cx = 0;
    int cy = 0;
};

// The font a template's dialog is shown in, and its base units.
QFont AfxDialogFont(const DialogTemplate& t);
// The font the base units are measured in (a little larger than the one shown).
QFont AfxDialogUnitsFont(const QFont& shown);
DialogBaseUnits AfxDialogBaseUnits(const QFont& font);
int AfxMulDiv(int number, int numerator, int denominator);

// Builds the window and its controls and attaches pWnd to it; WM_CREATE is
// sent before the controls exist. Null when the template is unusable.
CDialogWidget* AfxBuildDialog(const DialogTemplate& t, QWidget* owner, CWnd* pWnd);
