#include "library/status_texts.h"

namespace sd {

void TStatusSongTexts::SetSong(rec::TTagRec& out, const TTagRec& song) {
  out.Tag.Title = title_.Set(song.Tag.Title);
  out.Tag.Album = album_.Set(song.Tag.Album);
  out.Tag.Artist = artist_.Set(song.Tag.Artist);
  out.Tag.Year = year_.Set(song.Tag.Year);
  out.Tag.Comment = comment_.Set(song.Tag.Comment);
  out.Tag.LyricsName = lyrics_.Set(song.Tag.LyricsName);
  out.Tag.Genre = song.Tag.Genre;
  out.FileKey = key_.Set(song.FileKey);
  out.FileName = name_.Set(song.FileName);
}

}  // namespace sd
