// Handlers of the verbs whose work is built, one per verb, grouped by what they act on.
#pragma once
#include <string>

namespace sd::verbs {

// Main window and sound.
void CenterWindow(const std::string&);
void VolCenter(const std::string&);
void VolLeft(const std::string&);
void VolRight(const std::string&);
void Silent(const std::string&);
void SoundDown(const std::string&);
void SoundUp(const std::string&);
void Minimize(const std::string&);
void Normal(const std::string&);
void Exit(const std::string&);
void Search(const std::string&);
void Extract(const std::string&);

// Modes (switch verbs) and transport.
void Only(const std::string&);
void Time(const std::string&);
void EQEnabled(const std::string&);
void EQAutoSet(const std::string&);
void Repeat(const std::string&);
void Shuffle(const std::string&);
void OnTop(const std::string&);
void Pause(const std::string&);
void Forward(const std::string&);
void Rewind(const std::string&);
const char* PlayPauseTarget();

// Library and transport.
void AddFile(const std::string&);
void OpenFile(const std::string&);
void OpenDir(const std::string&);
void SaveList(const std::string&);
void Play(const std::string&);
void Stop(const std::string&);
void Next(const std::string&);
void Prev(const std::string&);

// Category requests of general plug-ins.
void Register(const std::string&);
void CtrlList(const std::string&);
void Unregister(const std::string&);

// Engines.
void InstallPlus(const std::string&);
void StartUp(const std::string&);
void CloseUp(const std::string&);

}  // namespace sd::verbs
