#pragma once
// The player's view choices that outlive a run of the game: full screen,
// muted sound and the frame rate shown, kept in ~/.config/zarvex/zarvex.conf (the XDG config home;
// a relative XDG_CONFIG_HOME is ignored, as the XDG rules say); with no home
// folder at all they last for the run only. The difficulty is not among
// them: every run starts at Normal.
//
// The file is a small INI text the game reads itself:
//     [sound]
//     muted=false
//
//     [view]
//     fullScreen=true
//     showFrameRate=false
// Only a regular file of at most kMaxViewSettingsBytes is read, and never
// in a way that waits: a FIFO or a huge file in its place means the
// defaults, at once.
#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

struct ViewSettings {
    bool fullScreen = false;
    bool muted = false;
    bool showFrameRate = false;
};

inline constexpr std::size_t kMaxViewSettingsBytes = 64 * 1024;

// What the settings file says; a missing, unreadable or damaged file, or a
// value that is not plainly true or false, gives the default. Earlier
// versions kept the choices in zarvex.ini beside it: the first load moves
// such a file to the new name.
ViewSettings loadViewSettings();

// Best effort: a settings file that cannot be written is left alone. The
// file is replaced whole (a new file renamed over it), never read first.
void saveViewSettings(const ViewSettings& settings);

// Where they are kept; empty when nowhere (no home folder at all).
QString viewSettingsFile();

// The file's text, both ways: unknown groups, keys and lines are ignored.
ViewSettings parseViewSettings(std::string_view text);
std::string formatViewSettings(const ViewSettings& settings);
