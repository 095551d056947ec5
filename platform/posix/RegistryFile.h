#pragma once
// Inside platform/ only: the registry's store file under the user's
// configuration folder, as the key functions read and change it.

#include "platform/Registry.h"
#include "platform/portable/RegistryStore.h"

#include <string>

// Changes made but not yet written: the system writes them (at the end of
// the current turn of the event loop, at RegFlushKey, at exit), so a whole
// save of settings is one replacement of the file, and one that cannot be
// half done.
struct AfxRegistryChange {
    std::string fullPath;
    bool createKey = false;
    std::string name;
    DWORD type = 0;
    std::string data;
};

// The store as a reader sees it: what could be read of the file, with the
// changes not yet written.
CRegistryStore AfxReadRegistryStore();
// What a write can know before it is made: a folder for the store, and a
// store file that can be read and replaced.
LONG AfxCheckRegistryWritable();
void AfxQueueRegistryChange(AfxRegistryChange change);
// Writes the queued changes in one replacement of the file; they stay
// queued when that fails, for the next try.
LONG AfxFlushRegistryChanges();
