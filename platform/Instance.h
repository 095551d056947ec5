#pragma once
// One running program per data file.

#include "platform/Win32.h"

// What a claim of a data file came to.
enum class InstanceClaim {
    Claimed,      // this process holds the file now
    Forwarded,    // another running process holds it and took the message
    NotAnswering  // another process holds it but did not answer in time (stopped, hung)
};

// Claims the file at path for this process, until it ends (two paths that
// name the same file are one claim). When another running process holds
// it, that process's main window is sent the registered message `message`,
// waiting about 2 s at most in all for it to be taken; this process should
// then end. Claimed also when nothing can be told (no folder for the
// claim): running twice is better than not at all.
// The claim does not depend on the login session: another session of the
// same user meets it too.
InstanceClaim AfxClaimInstance(LPCSTR path, UINT message);

// Moves this process's claim to the file at path (the list opened or saved
// under a new name): Claimed when the file is this process's now (the
// previous claim is released) or already was; otherwise the holder is asked
// to come forward with the message of the first claim, as above, and this
// process keeps its previous claim.
InstanceClaim AfxMoveInstanceClaim(LPCSTR path);
