#include "app/startup.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "core/commands.h"
#include "core/instance.h"
#include "app/library_host.h"
#include "core/paths.h"
#include "core/settings.h"
#include "library/play.h"
#include "engines/cd_engine.h"
#include "engines/mpeg_engine.h"
#include "engines/plus.h"
#include "setup/registry_record.h"
#include "shell/main_form.h"
#include "shell/option.h"
#include "ui/app.h"

namespace sd {

namespace {
bool g_shuttingDown = false;
bool g_secondInstance = false;
bool g_firstRun = false;

std::unique_ptr<TOption> g_optionObject;
std::unique_ptr<TPlay> g_playObject;
std::unique_ptr<TPlus> g_plusObject;

// Stage 1: the shared objects, before the main window exists. Returns false in a second
// instance, which then ends without touching any of the player's files.
bool InitSharedObjects(const std::string& programFile, const std::vector<std::string>& args) {
  // The system mixer object is created here, before everything else, once the mixer exists.
  if (ForwardToRunningInstance(args)) {
    g_secondInstance = true;
    return false;
  }
  g_firstRun = false;
  SetErrorMode(SEM_FAILCRITICALERRORS);
  ui::Application& app = ui::Application::Get();
  app.SetIcon(LoadIconA(GetModuleHandleA(nullptr), "AIcon"));
  Paths() = MakePaths(programFile);
  app.SetTitle(kAppTitle);

  // Created in this order: information display, lyrics renderer (once they exist), then
  // the play options object.
  g_optionObject = std::make_unique<TOption>();
  SetOption(g_optionObject.get());
  // Then: the dropped-files hook and the hotkeys' deactivation handler; the skin with its
  // mouse callbacks; the library; the engine manager; the hotkey manager; the CD engine;
  // the spectrum object. Then the library is loaded and the fresh-selection flag set.
  g_playObject = CreateLibrary();
  SetLibrary(g_playObject.get());
  g_optionObject->Attach(g_playObject.get(), g_optionObject.get());
  g_plusObject = std::make_unique<TPlus>();
  g_plusObject->SetBuiltInEntry(0, &MpegEngineMessage);
  g_plusObject->SetBuiltInEntry(1, &CdEngineMessage);
  SetPlus(g_plusObject.get());
  SetCurrentEngineSender([](uint32_t msg, intptr_t value) {
    if (TPlus* p = Plus(); p && p->CurrentEngine >= 0) p->SendMsg(p->CurrentEngine, msg, value);
  });

  // The hotkey manager is created here once it exists; then the CD engine.
  CreateCdEngine(g_playObject.get());
  LoadLibrary(*g_playObject);
  g_optionObject->SetFreshSelection(true);

  // Version check and restore: the song started last is prepared, not played; the spectrum
  // engine is loaded here once the spectrum exists.
  g_firstRun = WriteVersionRecord(Paths().ProgramFile, Paths().AppFolder);
  TPlay& play = *g_playObject;
  play.SetCurrent(play.FindEntry(Settings().ReadString("播放", "当前文件", ""), play.PlayIndex));
  if (play.CurrentIndex >= 0) play.RefreshCurrent();
  g_plusObject->Rescan();
  if (g_firstRun) {
    ExecCommand("#About");
    // The recording source for the spectrum is chosen here once the mixer exists.
  }
  // The player's own four file types are registered here with the associations.
  return true;
}

bool g_finalized = false;

void FinalizeSharedObjects() {
  if (g_finalized || g_secondInstance) return;
  g_finalized = true;
  g_shuttingDown = true;
  // The information display is put on hold and the lyrics timer stopped; then the open
  // secondary windows close in their fixed order (hotkeys, tag editor, sites, equaliser,
  // file manager, lyrics, lyrics editor, quick select, volume, categoriser, spectrum,
  // HTML export, options, video).
  g_optionObject->SaveOptions();
  // Then the spectrum object and the skin.
  CloseLibrary(*g_playObject);
  // The hotkey manager; the engine manager; the CD engine, the information display and the
  // lyrics renderer.
  SetCurrentEngineSender({});
  SetPlus(nullptr);
  g_plusObject.reset();
  FreeCdEngine();
  SetOption(nullptr);
  g_optionObject.reset();
  SetLibrary(nullptr);
  g_playObject.reset();
  ResetRegistryKey(Paths().ProgramFile);
  Paths() = AppPaths();
}
}  // namespace

bool ShuttingDown() { return g_shuttingDown; }

void ShutdownNow() {
  if (g_finalized) return;
  if (MainForm* m = MainForm::Instance()) SendMessageA(m->hwnd(), WM_CLOSE, 0, 0);
  FinalizeSharedObjects();
}
bool SecondInstance() { return g_secondInstance; }
bool FirstRun() { return g_firstRun; }

int RunPlayer(const std::string& programFile, const std::vector<std::string>& args) {
  if (!InitSharedObjects(programFile, args)) return 0;

  // Stage 2: the main program.
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  int code = 0;
  {
    MainForm main;
    if (main.CreateMain()) {
      for (const std::string& a : args) {
        ExecCommand("#AddFile", a);
        // The first playable argument starts playing; later ones are only added.
        if (!Option()->PlayMode() && !Library()->FirstAdded.empty()) ExecCommand("#Play", a);
      }
      Option()->LoadOptions();
      code = ui::Application::Get().Run();
    }
  }
  FinalizeSharedObjects();
  return code;
}

}  // namespace sd
