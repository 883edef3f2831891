// The portal's restore token from the last share, so that the desktop asks which screen to
// share only once: ${XDG_STATE_HOME:-~/.local/state}/tessilo/screen-restore-token.
#pragma once

#include <string>

std::string RestoreTokenPath();
// Empty when there is none.
std::string LoadRestoreToken();
bool StoreRestoreToken(const std::string& token);
// Forgets the stored choice: the next run asks again.
bool ForgetRestoreToken();
