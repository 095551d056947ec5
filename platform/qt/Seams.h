#pragma once
// Inside platform/ only: where the test hooks steer the Qt window layer.
// Qt-free, so that the hooks can reach it.

#include "platform/portable/Seams.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

struct AfxQtSeams {
    bool recording = false;
    // Message boxes are answered at once from the queue (an empty one gives
    // the default button) while answerMessageBoxes is on.
    bool answerMessageBoxes = false;
    std::deque<int> messageBoxAnswers;
    std::vector<AfxMessageBoxRecord> messageBoxes;
    // File dialogs take these answers in place of the user while any are queued.
    std::deque<AfxFileDialogAnswer> fileDialogAnswers;
    std::vector<AfxFileDialogRequest> fileDialogRequests;
    // Run once a modal dialog is up, one per dialog.
    std::deque<std::pair<AfxModalAction, void*>> modalActions;
    std::vector<std::string> soundsPlayed;
    int beeps = 0;
    int trayAvailable = -1;  // 1 yes, 0 no, -1 ask the desktop
};
AfxQtSeams& AfxQtSeam();
