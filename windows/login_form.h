// The password dialog ("访问密码"): the prompt, an edit box that shows "*" for each
// character, OK and Cancel.
#pragma once
#include <string>

namespace sd {

// True with the typed text on OK; false when cancelled.
bool RunLoginForm(const std::string& prompt, std::string& text);

}  // namespace sd
