// The folder picker ("浏览文件夹"): the system's folders as a tree, a prompt, OK and Cancel,
// and an optional file-type box. Modal; the player's inputs are suspended while it shows.
#pragma once
#include "ui/prompt.h"

namespace sd {

// True when confirmed with a folder selected.
bool RunSelectDirForm(const ui::FolderPickRequest& req, ui::FolderPickResult& result);

}  // namespace sd
