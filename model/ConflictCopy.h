#pragma once
// The copies sync tools leave beside a file they could not merge, recognised
// by name. For a list "talvo.tlv":
//   Syncthing  talvo.sync-conflict-20261207-221500-ABC1234.tlv
//   Nextcloud  talvo (conflicted copy 2026-12-07 221500).tlv
//   Dropbox    talvo (Anna's conflicted copy 2026-12-07).tlv, also with " (1)"
//              and so on before the extension
//   OneDrive   talvo-LAPTOP-7.tlv
// The OneDrive form is broad: any "talvo-<letters, digits, '-'>.tlv" in the
// folder looks like one, so the caller takes such a copy only when it parses
// as a list. A file a user named "talvo-old.tlv" beside the list is taken for
// one; the program's own "talvo-merge-..." and "talvo-recovery-..." files are
// not.

#include "model/ReminderList.h"

#include <string>

// listFileName and candidateFileName may be paths ('/' or '\\'); only their
// last parts are compared, case-sensitively. The list itself is no copy.
bool IsConflictCopyName(const std::string& listFileName, const std::string& candidateFileName);

// The base to merge a conflict copy into the list with. A copy is a version
// that went its own way from some older one nobody kept, so a reminder it
// lacks was not necessarily deleted there: the base is only what the saved
// list and the copy share (a multiset), with the copy's header. So nothing
// the copy lacks is deleted, everything it has is kept, the list's header
// values stay, and a reminder deleted here since the last save stays deleted.
CReminderList ConflictCopyBase(const CReminderList& saved, const CReminderList& copy);
