// The open dialogs of the player's verbs.
#pragma once
#include <string>
#include <vector>

namespace sd {

enum OpenKind { kOpenMedia = 0, kOpenLyrics = 1, kOpenSkin = 2, kOpenPackage = 3 };

// Shows the open dialog of a kind with the player's inputs suspended; on confirmation the
// chosen files are appended to list and the first one's folder becomes the last folder.
bool OpenFilesDialog(std::vector<std::string>& list, const std::string& initialFolder, int kind);

}  // namespace sd
