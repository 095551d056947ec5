#pragma once
// Inside platform/ only: where the test hooks steer the Qt window layer.
// Qt-free, so that the hooks can reach it.

#include "platform/portable/Seams.h"

// Qt's window layer keeps nothing beyond what every window layer keeps.
struct AfxQtSeams : AfxWindowSeams {};
AfxQtSeams& AfxQtSeam();
