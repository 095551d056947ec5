#pragma once
// Inside platform/ only: the user's folders on a POSIX desktop.

#include <string>

// mkdir -p with folders private to the user; 0 or the errno value.
int AfxMakeFolders(const std::string& folder);

// Base folders by the XDG Base Directory rules: the variable when it holds an absolute path,
// else the default under the home folder. Empty when there is no home.
std::string XdgConfigHome();
std::string XdgDataHome();
std::string XdgStateHome();  // default ~/.local/state
