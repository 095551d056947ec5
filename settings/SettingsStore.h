#pragma once
// The options and the last data file in the per-user registry store, key
// HKEY_CURRENT_USER\Software\Lindqvarn\Talvo\Settings. CMainDlg's
// LoadSettings and SaveSettings call these with its m_data.

class CReminderData;

// Fills every settings field and the list's file name ("LastFile"), with the
// defaults for values that are missing or unreadable. Creates the key.
void LoadSettings(CReminderData& data);
// Writes every settings field and the list's file name. Failures are silent.
void SaveSettings(const CReminderData& data);
