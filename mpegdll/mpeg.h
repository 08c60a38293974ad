// mpeg.dll: the MP3 decoder library of songdeck.
//
// Plays MPEG-1, MPEG-2 and MPEG-2.5 Layer III files (CBR and VBR) through the system's ACM
// MP3 codec and waveOut. Each player object decodes on a thread of its own and posts its
// notifications to a window.
//
// Calling convention: every export is extern "C" __stdcall, exported undecorated (mpeg.def),
// in the 32-bit and the 64-bit build alike. Every operation returns 0 on success and a
// non-zero MpegResult on failure; none of them blocks longer than the time it takes to stop
// the decoding thread (bounded, see player_delete).
//
// Operations:
//   player_new(&player, &window)        creates a player; *window (read once, now) receives
//                                       the notifications. The window may be null (nothing
//                                       is posted then).
//   player_delete(player)               stops playback, joins the decoding thread, closes the
//                                       output and the file, frees the player. Null is accepted.
//   player_set_priority(player, p)      decoding thread priority, 1 ... 4:
//                                       1 below normal, 2 normal, 3 above normal, 4 highest
//                                       (values outside are clamped). Default 4.
//   control_message_send_N(player, code)
//   control_message_send_S(player, code, text)
//   control_message_send_P(player, code, data)
//   control_message_send_II(player, code, a, b)
//   control_win32_params_to_message(player, &block, msg, wparam, lparam)
//                                       decodes a posted notification into an MpegMessage.
//                                       It reads no player state (the player may already be
//                                       gone); it returns MPEG_E_NOT_OURS for other messages.
//
// Command codes:
//   N 4   play; resume after pause. A new playback (after open, stop or the end of the
//         song) starts at the beginning, or where a seek sent meanwhile points.
//   N 5   pause (output stops at once; decoding stays ahead)
//   N 6   stop: the decoding thread ends and the output is closed; the song stays open.
//         Nothing is posted for it (the caller asked).
//   N 9   close the song (sent after 6, before player_delete)
//   S 8   open the song with this file name (ANSI). The file is opened for reading with
//         read sharing only, so nobody can write to it while it is open.
//   II 7  seek to a (seconds) ; b (the caller's idea of the total time) is not needed.
//         The position lands on the first sample of second a exactly; a at or beyond the
//         end ends the song. Without a playback it sets where the next one starts.
//   P 65  equaliser: address of 64 signed bytes, copied at once (see below)
//   S 80  (ours) output to a file instead of the sound device: the decoded 16-bit PCM
//         (interleaved, little-endian, no header) is written to this file name as fast as
//         it decodes. An empty text discards the PCM (decode only). Send before 4.
//
// Notifications: PostMessage(window, MPEG_NOTIFY_BASE + code, 0, data); decode them with
// control_win32_params_to_message. Codes:
//   75  MPEG_NOTE_ERROR     byte 4: error number (MpegError)
//   78  MPEG_NOTE_STATE     byte 4: state (MpegState)
//   87  MPEG_NOTE_TIME      bytes 4, 5, 6: hours, minutes, seconds of the position; posted
//                           once per second of sound played and after every seek
//   111 MPEG_NOTE_DURATION  32-bit at 4: length of the song in whole seconds (rounded)
//
// States: 0 stopped (also at the end of the song, once the output has drained), 1 playing,
// 2 paused, 3 all input decoded while the output still drains.
//
// Equaliser: bytes 0-31 are the gains of the left channel, bytes 32-63 those of the right
// channel (a mono song uses the left ones), each a signed byte -128 ... 127 for one of 32
// bands of equal width from 0 Hz to half the sample rate (band k spans k/64 ... (k+1)/64 of
// the sample rate). Scale: gain in dB = value * 12 / 127, so 127 is +12 dB, 0 is flat and
// -128 is -12.09 dB. The response at each band's centre is that gain within 1 dB. All-zero
// gains bypass the filter bank (samples unchanged); every change crossfades over 20 ms.
// Boosted samples saturate at the 16-bit limits.
#pragma once
#include <stdint.h>

#if defined(_WIN32)
#define MPEG_API __stdcall
#else
#define MPEG_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct MpegPlayer MpegPlayer;

enum MpegResult {
  MPEG_OK = 0,
  MPEG_E_ARGUMENT = 1,   // null player or address, unknown code
  MPEG_E_STATE = 2,      // no song open, or the command does not fit the state
  MPEG_E_OPEN = 3,       // the song could not be opened or is not MPEG Layer III audio
  MPEG_E_SYSTEM = 4,     // a system call failed (thread, codec, output)
  MPEG_E_NOT_OURS = 5,   // control_win32_params_to_message: not a notification of ours
};

enum MpegCommand {
  MPEG_CMD_PLAY = 4,
  MPEG_CMD_PAUSE = 5,
  MPEG_CMD_STOP = 6,
  MPEG_CMD_SEEK = 7,
  MPEG_CMD_OPEN = 8,
  MPEG_CMD_CLOSE = 9,
  MPEG_CMD_EQUALIZER = 65,
  MPEG_CMD_OUTPUT_FILE = 80,
};

#define MPEG_NOTIFY_BASE 0x9000u

enum MpegNote {
  MPEG_NOTE_ERROR = 75,
  MPEG_NOTE_STATE = 78,
  MPEG_NOTE_TIME = 87,
  MPEG_NOTE_DURATION = 111,
};

enum MpegState {
  MPEG_STATE_STOPPED = 0,
  MPEG_STATE_PLAYING = 1,
  MPEG_STATE_PAUSED = 2,
  MPEG_STATE_DRAINING = 3,
};

// Error numbers of MPEG_NOTE_ERROR. 7 and 8 are warnings: playback goes on (7 is kept for
// an output that ran dry and is not posted at present). 1 and 2 come
// from opening (code 8); 3 to 6 end a playback and are its last notification (no state 0
// follows, the player is stopped).
enum MpegError {
  MPEG_ERR_OPEN = 1,         // the file cannot be opened or read (missing, locked, over 512 MB)
  MPEG_ERR_FORMAT = 2,       // no MPEG Layer III audio found
  MPEG_ERR_CODEC = 3,        // the system has no codec for this stream
  MPEG_ERR_OUTPUT = 4,       // the sound device or the output file cannot be opened
  MPEG_ERR_DECODE = 5,       // the codec failed while decoding
  MPEG_ERR_THREAD = 6,       // the decoding thread could not be started
  MPEG_WARN_UNDERRUN = 7,    // (kept) the output ran dry for a moment
  MPEG_WARN_DAMAGED = 8,     // damaged data was skipped
};

// The block control_win32_params_to_message writes: 16 bytes.
typedef struct MpegMessage {
  int32_t code;        // MpegNote
  uint8_t data[12];    // ERROR/STATE: data[0]; TIME: data[0..2] h, m, s; DURATION: int32 at data[0]
} MpegMessage;

int MPEG_API player_new(MpegPlayer** player, const void* window);  // window: address of an HWND
int MPEG_API player_delete(MpegPlayer* player);
int MPEG_API player_set_priority(MpegPlayer* player, int priority);
int MPEG_API control_message_send_N(MpegPlayer* player, int code);
int MPEG_API control_message_send_S(MpegPlayer* player, int code, const char* text);
int MPEG_API control_message_send_P(MpegPlayer* player, int code, const void* data);
int MPEG_API control_message_send_II(MpegPlayer* player, int code, int a, int b);
int MPEG_API control_win32_params_to_message(MpegPlayer* player, MpegMessage* block, uint32_t msg,
                                             uintptr_t wparam, intptr_t lparam);

#ifdef __cplusplus
}
#endif
