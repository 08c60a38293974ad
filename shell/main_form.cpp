#include "shell/main_form.h"

#include <string>

#include "app/startup.h"
#include "core/commands.h"
#include "core/instance_msg.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/window_pos.h"
#include "shell/option.h"
#include "ui/app.h"

namespace sd {

namespace {
MainForm* g_main = nullptr;
constexpr int kDesignX = 200, kDesignY = 150, kDesignW = 300, kDesignH = 120;
}  // namespace

MainForm* MainForm::Instance() { return g_main; }

bool MainForm::CreateMain() {
  if (!Create(kMainWindowClass, kAppTitle, WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, 0, kDesignX, kDesignY, kDesignW,
              kDesignH, nullptr, ui::Application::Get().Icon()))
    return false;
  g_main = this;
  RestoreWindowPos(hwnd(), "主窗口", false);
  return true;
}

bool MainForm::Visible() const { return hwnd() && IsWindowVisible(hwnd()); }

void MainForm::ShowNormal() {
  if (!hwnd()) return;
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  // "#OnTop" twice: to the front with the on-top setting unchanged.
  ExecCommand("#OnTop");
  ExecCommand("#OnTop");
  SetForegroundWindow(hwnd());
  SendCurrentEngine(0, 0);
}

void MainForm::Minimize() {
  if (!Visible()) {
    ExecCommand("#Normal");
    return;
  }
  ShowWindow(hwnd(), SW_MINIMIZE);
  ShowWindow(hwnd(), SW_HIDE);
  SendCurrentEngine(0, 0);
}

void MainForm::CenterOnScreen() {
  RECT r;
  if (!hwnd() || !GetWindowRect(hwnd(), &r)) return;
  int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(hwnd(), nullptr, CenteredOffset(GetSystemMetrics(SM_CXSCREEN), w),
               CenteredOffset(GetSystemMetrics(SM_CYSCREEN), h), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainForm::OnClose() {
  // Hide first, stop playback when the user wanted it, keep the position, then end.
  ShowWindow(hwnd(), SW_HIDE);
  if (Option() && Option()->PlayMode()) ExecCommand("#Stop");
  SaveWindowPos(hwnd(), "主窗口", false);
  Destroy();
}

void MainForm::OnDestroyed() {
  if (g_main == this) g_main = nullptr;
  ui::Application::Get().Terminate(0);
}

LRESULT MainForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA) {
    // Instance message: WParam is the verb number, never an address; the block is untrusted.
    const COPYDATASTRUCT* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    std::string verb, arg;
    bool ok = cds ? DecodeInstanceMessage(wp, true, cds->dwData, cds->lpData, cds->cbData, verb, arg)
                  : DecodeInstanceMessage(wp, false, 0, nullptr, 0, verb, arg);
    if (ok) PostCommand(verb, arg, nullptr);
    return 0;
  }
  if (msg == WM_QUERYENDSESSION) return TRUE;
  if (msg == WM_ENDSESSION) {
    // The session ends and the process will not get back to its message loop: shut down
    // now, as "#Exit" does, so the options, queued tags and the library are kept.
    if (wp) ShutdownNow();
    return 0;
  }
  return ui::Wnd::OnMessage(msg, wp, lp);
}

void MainForm::OnPaint(HDC dc) {
  RECT r;
  GetClientRect(hwnd(), &r);
  FillRect(dc, &r, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0x9c, 0xd6, 0x7c));
  DrawTextA(dc, kAppTitle, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace sd
