// mpeg.dll exports (being written).
#include <windows.h>
#include "mpegdll/mpeg.h"
extern "C" {
int MPEG_API player_new(MpegPlayer** player, const void*) { if (player) *player = nullptr; return MPEG_E_SYSTEM; }
int MPEG_API player_delete(MpegPlayer*) { return MPEG_OK; }
int MPEG_API player_set_priority(MpegPlayer*, int) { return MPEG_E_ARGUMENT; }
int MPEG_API control_message_send_N(MpegPlayer*, int) { return MPEG_E_ARGUMENT; }
int MPEG_API control_message_send_S(MpegPlayer*, int, const char*) { return MPEG_E_ARGUMENT; }
int MPEG_API control_message_send_P(MpegPlayer*, int, const void*) { return MPEG_E_ARGUMENT; }
int MPEG_API control_message_send_II(MpegPlayer*, int, int, int) { return MPEG_E_ARGUMENT; }
int MPEG_API control_win32_params_to_message(MpegPlayer*, MpegMessage*, uint32_t, uintptr_t, intptr_t) { return MPEG_E_NOT_OURS; }
}
