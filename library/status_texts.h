// The song part of the play status record: the record holds 32-bit addresses of texts the
// host owns; these are kept here, below 4 GiB, and refreshed whenever the song changes.
#pragma once
#include "engines/status_rec.h"
#include "library/low_arena.h"
#include "library/tags.h"

namespace sd {

class TStatusSongTexts {
 public:
  // Copies song's texts and fills out with their addresses and the genre.
  void SetSong(rec::TTagRec& out, const TTagRec& song);

 private:
  LowText title_, album_, artist_, year_, comment_, lyrics_, key_, name_;
};

}  // namespace sd
