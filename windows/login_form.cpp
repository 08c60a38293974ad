#include "windows/login_form.h"

#include <windows.h>

#include "shell/option.h"
#include "ui/app.h"
#include "ui/prompt.h"
#include "windows/login_form_ids.h"

namespace sd {

namespace {
struct LoginState {
  std::string prompt;
  std::string text;
};

INT_PTR CALLBACK LoginProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* st = reinterpret_cast<LoginState*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      st = reinterpret_cast<LoginState*>(lp);
      SetDlgItemTextA(dlg, IDC_LOGIN_PROMPT, st->prompt.c_str());
      SendDlgItemMessageA(dlg, IDC_LOGIN_PASSWORD, EM_SETPASSWORDCHAR, '*', 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) {
        char buf[256] = {};
        GetDlgItemTextA(dlg, IDC_LOGIN_PASSWORD, buf, sizeof buf);
        st->text = buf;
        EndDialog(dlg, IDOK);
        return TRUE;
      }
      if (LOWORD(wp) == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}
}  // namespace

bool RunLoginForm(const std::string& prompt, std::string& text) {
  ui::PromptRequest req{"访问密码", prompt, 0};
  int scripted = ui::CurrentPrompter().AskText(nullptr, req, text);
  if (scripted >= 0) return scripted == 1;
  LoginState st{prompt, ""};
  INT_PTR r;
  {
    CommandsSuspended suspended;
    r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LOGIN), GetActiveWindow(), LoginProc,
                        reinterpret_cast<LPARAM>(&st));
  }
  if (r != IDOK) return false;
  text = st.text;
  return true;
}

}  // namespace sd
