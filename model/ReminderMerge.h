#pragma once
// Three-way merge of two reminder lists that both came from one common list:
// the list as last read or written (base), the list in memory (ours) and the
// file as another writer left it (theirs).
//
// Reminders have no identity in the file, so they are matched by content (all
// five fields) as a multiset, and a changed reminder is a deleted one plus an
// added one. Per distinct reminder with b copies in base, o in ours and t in
// theirs, each side deleted max(0, b - x) copies and added max(0, x - b):
//   result copies = b - max(deleted by ours, deleted by theirs)
//                     + max(added by ours, added by theirs)
// So an addition on either side is kept, a deletion on one side goes through,
// a deletion on both sides goes, and a change on one side with a deletion on
// the other keeps the change.
//
// Limits, all from the missing identity:
// - Two copies deleted, one on each side, count as the same copy deleted
//   (one goes, not two); the same addition made on both sides (two Talvos
//   pushing the same reminder forward) is kept once. Both keep more, not less.
// - A reminder changed differently on both sides is kept in both versions;
//   the user deletes the one not wanted.
// - "Changed on both sides" is detected coarsely: a base reminder gone from
//   both sides while each side gained a reminder the other did not. A plain
//   deletion on both sides next to unrelated additions reads the same.
// - Of several equal copies, the first ones in the result's order stay.
//
// Order: when ours holds the same reminders as base in the same order, the
// result takes theirs' order; otherwise ours' order, and a reminder that only
// theirs has goes right after the nearest reminder before it in theirs that
// is also in the result (after earlier insertions there), or at the front
// when there is none. A reordering in theirs is lost when ours changed too.
//
// Header values (the defaults of a new reminder) each take the side that
// changed it; when both changed one, ours, the later change, wins.

#include "model/ReminderList.h"

#include <cstdint>

class CReminderMergeReport {
public:
    std::int32_t m_nAddedFromTheirs = 0;  // reminders in the result that ours lacked
    std::int32_t m_nRemovedByTheirs = 0;  // reminders of ours gone because theirs deleted them
    bool m_bKeptBothVersions = false;     // a reminder changed on both sides: both are kept
    bool m_bDefaultsFromTheirs = false;   // a header value taken from theirs
};

// The merged list: header and reminders as above, the file name and zone
// offset of ours, no due records (the caller refreshes them). report may be
// null.
CReminderList MergeReminderLists(const CReminderList& base, const CReminderList& ours, const CReminderList& theirs,
                                 CReminderMergeReport* report);

// True when result holds every reminder of base, ours and theirs except those
// deleted on one side and unchanged on the other or deleted on both sides,
// counted as a multiset. A merge that fails it must not be written.
bool MergeKeepsEverything(const CReminderList& base, const CReminderList& ours, const CReminderList& theirs,
                          const CReminderList& result);
