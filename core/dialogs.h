// The open dialogs of the player's verbs.
#pragma once
#include <string>
#include <vector>

namespace sd {

enum OpenKind { kOpenMedia = 0, kOpenLyrics = 1, kOpenSkin = 2, kOpenPackage = 3 };

// Shows the open dialog of a kind with the player's inputs suspended; on confirmation the
// chosen files are appended to list and the first one's folder becomes the last folder.
bool OpenFilesDialog(std::vector<std::string>& list, const std::string& initialFolder, int kind);

// The mask list a folder is added with, from the folder picker's file-type box: the typed
// text when no item is selected; "*.*;" with a single item or any item but the first; the
// engines' masks for the first. Then ";" is appended, and an empty text becomes "*.*;".
std::string FolderMaskFor(int selectedStyle, const std::string& typed, size_t styleCount,
                          const std::string& engineMasks);

// The folder picker for adding a folder to the view category ("#opendir").
void AddFolderDialog(const std::string& startFolder);

}  // namespace sd
