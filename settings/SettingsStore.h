#pragma once
// The options and the last data file in the per-user registry store, key
// HKEY_CURRENT_USER\Software\Lindqvarn\Talvo\Settings. CMainDlg's
// LoadSettings and SaveSettings call these with its m_data.

#include "platform/CString.h"

class CReminderData;

// Fills every settings field and the list's file name ("LastFile"), with the
// defaults for values that are missing or unreadable. Creates the key, and
// remembers each value as loaded.
void LoadSettings(CReminderData& data);
// Writes the settings fields and the list's file name that differ from what
// was last loaded or written (every one when nothing was loaded), so values
// this program did not change keep what others wrote. Failures are silent;
// a value whose write failed is tried again at the next save.
void SaveSettings(const CReminderData& data);
// The file the alarm and the sound test play: a bare file name is the
// program's own, beside it; a name with a folder is used as it is.
CString SoundFilePath(const CString& soundFile);
