// The player's main window. Its class is named after the form class, so a second start
// finds it by the name "ZEDIROdedaroriz" (class names compare case-insensitively). Until a
// skin gives it a face it is a hidden, frameless, top-level window (not a message-only
// window, which FindWindow cannot find).
#pragma once
#include "ui/wnd.h"

namespace sd {

inline constexpr const char* kMainWindowClass = "ZEdirOdedaroriz";

class MainForm : public ui::Wnd {
 public:
  static MainForm* Instance();
  bool CreateMain();

  void ShowNormal();  // "#normal"
  void Minimize();    // "#minimize"
  void CenterOnScreen();
  bool Visible() const;

 protected:
  void OnClose() override;
  void OnDestroyed() override;
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnPaint(HDC dc) override;
};

}  // namespace sd
