#pragma once
// The options and the last data file in the per-user registry store, key
// HKEY_CURRENT_USER\Software\Lindqvarn\Talvo\Settings. CMainDlg's
// LoadSettings and SaveSettings call these with its m_data.

#include "platform/CString.h"

class CReminderData;

// Fills every settings field and the list's file name ("LastFile"), with the
// defaults for values that are missing or unreadable. Creates the key.
void LoadSettings(CReminderData& data);
// Writes every settings field and the list's file name. Failures are silent.
void SaveSettings(const CReminderData& data);
// The file the alarm and the sound test play: a bare file name is the
// program's own, beside it; a name with a folder is used as it is.
CString SoundFilePath(const CString& soundFile);
