// The verb table in matching order. A row with no handler is a verb whose window, engine or
// library work is not part of the player yet: it is recognised and does nothing.
#include "core/commands.h"
#include "core/verbs.h"

namespace sd {

namespace {
using namespace verbs;

constexpr VerbEntry kVerbs[] = {
    // Window and sound verbs.
    {"#centerwindow", CenterWindow, nullptr},
    {"#volcenter", VolCenter, nullptr},
    {"#volleft", VolLeft, nullptr},
    {"#volright", VolRight, nullptr},
    {"#savelist", SaveList, nullptr},
    {"#ctrllist", CtrlList, nullptr},
    {"#unregister", Unregister, nullptr},
    {"#register", Register, nullptr},
    {"#view", nullptr, nullptr},            // video window request
    {"#videowindow", nullptr, nullptr},     // video window toggle
    {"#installplus", InstallPlus, nullptr},
    {"#startup", StartUp, nullptr},
    {"#closeup", CloseUp, nullptr},
    {"#about", nullptr, nullptr},           // options dialog, About page
    {"#setup", nullptr, nullptr},           // options dialog
    {"#createhtmllist", nullptr, nullptr},  // HTML export window
    {"#only", Only, nullptr},
    {"#time", Time, nullptr},
    {"#menu", nullptr, nullptr},            // main window popup menu
    {"#hotkey", nullptr, nullptr},          // hotkey window
    {"#skin", nullptr, nullptr},            // skin loading and the options dialog's skin page
    {"#visual", nullptr, nullptr},          // spectrum
    {"#silent", Silent, nullptr},
    {"#sounddown", SoundDown, nullptr},
    {"#soundup", SoundUp, nullptr},
    {"#volume", nullptr, nullptr},          // volume window
    // Library, window and transport verbs.
    {"#addfile", AddFile, nullptr},
    {"#search", Search, nullptr},
    {"#exit", Exit, nullptr},
    {"#url", nullptr, nullptr},             // play location window
    {"#eqenabled", EQEnabled, nullptr},
    {"#eqautoset", EQAutoSet, nullptr},
    {"#eqpro", nullptr, nullptr},           // equaliser window or panel
    {"#lyrics", nullptr, nullptr},          // lyrics window or panel
    {"#list", nullptr, nullptr},            // quick select window
    {"#editlyrics", nullptr, nullptr},      // lyrics editor
    {"#id3", nullptr, nullptr},             // tag editor
    {"#playpause", nullptr, PlayPauseTarget},
    {"#extract", Extract, nullptr},
    {"#openfile", OpenFile, nullptr},
    {"#opendir", OpenDir, nullptr},
    {"#filemanage", nullptr, nullptr},      // file manager window
    {"#play", Play, nullptr},
    {"#stop", Stop, nullptr},
    {"#minimize", Minimize, nullptr},
    {"#normal", Normal, nullptr},
    {"#next", Next, nullptr},
    {"#prev", Prev, nullptr},
    {"#pause", Pause, nullptr},
    {"#repeat", Repeat, nullptr},
    {"#shuffle", Shuffle, nullptr},
    {"#forward", Forward, nullptr},
    {"#rewind", Rewind, nullptr},
    {"#ontop", OnTop, nullptr},
};
}  // namespace

std::span<const VerbEntry> VerbTable() { return kVerbs; }

}  // namespace sd
