#pragma once
// The desktop's web browser as Windows' registry tells it:
// HKEY_CLASSES_ROOT\.htm names a file type, and the type's
// shell\open\command its command line. Here both come from $BROWSER or the
// desktop's default handler of http (mimeapps.list and desktop entries).

#include "platform/portable/RegistryStore.h"

// The two classes keys, or an empty store when no browser is known.
CRegistryStore AfxDesktopClasses();
// A desktop entry's Exec line as a Windows command line, "%1" in place of
// the document (%u, %U, %f, %F, or $BROWSER's %s); other field codes go.
std::string AfxWindowsCommandLine(const std::string& exec);
