// The MPEG engine, row 0 of the engine table: it answers the engine messages through a
// handler function and drives the decoder library mpeg.dll from the program folder.
#pragma once
#include <cstdint>

#include "engines/plus_api.h"

namespace sd {

int32_t SD_STDCALL MpegEngineMessage(uint32_t msg, PlusValue value);

}  // namespace sd
