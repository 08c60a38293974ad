// Running command verbs: ExecCommand at once on the main thread, PostCommand later from the
// message loop, one at a time.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "core/dispatcher.h"

namespace sd {

// The whole verb table, in matching order.
std::span<const VerbEntry> VerbTable();

void ExecCommand(const std::string& verb, const std::string& arg = "");
// sender: the engine identifier for engine requests, nullptr for instance messages.
void PostCommand(const std::string& verb, const std::string& arg, const std::string* sender = nullptr);

// How a verb without "#" is opened: the system's shell, hidden (show command 0), unless a
// test installed another.
using ShellOpenFn = std::function<void(const std::string& file, const std::string& params, int show)>;
void SetShellOpen(ShellOpenFn fn);  // empty restores the system's
void ShellOpen(const std::string& file, const std::string& params, int show);

// The current engine, as far as the engine manager is there: message and value.
using EngineSendFn = std::function<void(uint32_t msg, intptr_t value)>;
void SetCurrentEngineSender(EngineSendFn fn);
bool SendCurrentEngine(uint32_t msg, intptr_t value);

}  // namespace sd
