// The CD engine in the player: the MCI device, the system's drives, the timers and the
// handler function of engine row 1.
#pragma once
#include <cstdint>

#include "engines/plus_api.h"

namespace sd {

class TPlay;

// Created with the player (after the library), freed at shutdown.
void CreateCdEngine(TPlay* play);
void FreeCdEngine();

int32_t SD_STDCALL CdEngineMessage(uint32_t msg, PlusValue value);

}  // namespace sd
