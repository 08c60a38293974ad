#include "shell/bindings.h"

namespace sd {

namespace {
IBindingSink* g_sink = nullptr;
}

void SetBindingSink(IBindingSink* sink) { g_sink = sink; }
void SetBindingState(int kind, int state) {
  if (g_sink) g_sink->SetBindingState(kind, state);
}
void SetBindingText(int kind, const std::string& text) {
  if (g_sink) g_sink->SetBindingText(kind, text);
}
void SetPositionFraction(double fraction) {
  if (g_sink) g_sink->SetPositionFraction(fraction);
}

}  // namespace sd
