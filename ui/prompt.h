// Every message box, modal dialog and open/save dialog goes through one seam, captioned with
// the application title. Tests install a scripted prompter that records what was asked and
// answers at once, so no test ever waits on a window.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace ui {

struct PromptRequest {
  std::string caption;
  std::string text;
  UINT flags = 0;  // MB_* icon and buttons
};

struct FileDialogRequest {
  std::string title;
  std::string filter;  // "name|pattern|name|pattern..."
  std::string folder;  // initial folder
  std::string defaultExt;
  bool save = false;
  bool multiple = false;
};

struct FolderPickRequest {
  std::string prompt;       // the label above the tree
  std::string startFolder;  // the tree opens towards it
  bool showFileStyle = false;
  std::vector<std::string> styles;  // items of the file-type box
  int selectedStyle = -1;
};

struct FolderPickResult {
  std::string folder;
  int style = -1;           // selected item, -1 when none (then text holds what was typed)
  std::string typedStyle;
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Returns the button pressed (IDOK, IDYES, ...).
  virtual int Message(HWND owner, const PromptRequest& req) = 0;
  // A modal text dialog (the password dialog, ...): 1 OK with text, 0 cancelled, -1 when
  // this prompter does not answer it and the real dialog is to be shown.
  virtual int AskText(HWND owner, const PromptRequest& req, std::string& text) { return -1; }
  // An open or save dialog: 1 confirmed with the chosen files, 0 cancelled, -1 not answered
  // here (the system's dialog is shown).
  virtual int FileDialog(HWND owner, const FileDialogRequest& req, std::vector<std::string>& files) { return -1; }
  // The folder picker: 1 confirmed with a folder, 0 cancelled, -1 not answered here.
  virtual int PickFolder(HWND owner, const FolderPickRequest& req, FolderPickResult& result) { return -1; }
};

// The system's open or save dialog (through the prompter in use); true when confirmed.
bool RunFileDialog(const FileDialogRequest& req, std::vector<std::string>& files, HWND owner = nullptr);

// The prompter in use: the system's message box unless a test installed another.
Prompter& CurrentPrompter();
void SetPrompter(Prompter* p);  // nullptr restores the system's

// A message box captioned with the program's title.
int ShowMessage(const std::string& text, UINT flags, HWND owner = nullptr);

// A prompter for tests: records every request and answers from a script (IDOK when empty).
class ScriptedPrompter : public Prompter {
 public:
  std::vector<PromptRequest> asked;
  std::vector<int> answers;
  std::vector<std::string> texts;  // answers of text dialogs; none left: cancelled
  std::vector<FileDialogRequest> dialogs;
  std::vector<std::vector<std::string>> chosen;  // answers of file dialogs; none left: cancelled
  std::vector<FolderPickRequest> folderRequests;
  std::vector<FolderPickResult> folders;  // answers of the folder picker; none left: cancelled
  int PickFolder(HWND, const FolderPickRequest& req, FolderPickResult& result) override {
    folderRequests.push_back(req);
    if (folders.empty()) return 0;
    result = folders.front();
    folders.erase(folders.begin());
    return 1;
  }
  int FileDialog(HWND, const FileDialogRequest& req, std::vector<std::string>& files) override {
    dialogs.push_back(req);
    if (chosen.empty()) return 0;
    files = chosen.front();
    chosen.erase(chosen.begin());
    return 1;
  }
  int AskText(HWND, const PromptRequest& req, std::string& text) override {
    asked.push_back(req);
    if (texts.empty()) return 0;
    text = texts.front();
    texts.erase(texts.begin());
    return 1;
  }
  int Message(HWND, const PromptRequest& req) override {
    asked.push_back(req);
    if (answers.empty()) return IDOK;
    int a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
};

}  // namespace ui
