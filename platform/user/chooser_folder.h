// Where GetOpenFileName's chooser starts. Windows' own rule: a program that asks again for the
// folder it asked for first starts where the user last chose a file. A folder that is not there
// is never handed to the chooser (it would open the parent with the missing name typed in): the
// user's pictures folder is, else the home folder.
#pragma once

#include <string>

namespace platform::user {

// The folder to open for a request that asks for `asked` (empty: no preference).
std::string ChooserStartFolder(const std::string& asked);

// Notes the folder of the file the user chose last, for the next request.
void NoteChosenFolder(const std::string& folder);

// Forgets what was asked and chosen, as in a program just started (for tests).
void ForgetChooserFolders();

// The user's pictures folder as xdg-user-dirs records it ($XDG_CONFIG_HOME/user-dirs.dirs,
// XDG_PICTURES_DIR), when it exists; else $HOME.
std::string PicturesFolder();

}  // namespace platform::user
