#pragma once
// The player's view choices that outlive a run of the game: full screen,
// muted sound and the frame rate shown, kept with Qt's settings in the XDG config home
// (~/.config/zarvex/zarvex.conf); with no home folder at all they last for
// the run only. The difficulty is not among them: every run starts at
// Normal.
#include <QString>

struct ViewSettings {
    bool fullScreen = false;
    bool muted = false;
    bool showFrameRate = false;
};

// What the settings file says; a missing, unreadable or damaged file, or a
// value that is not plainly true or false, gives the default.
ViewSettings loadViewSettings();

// Best effort: a settings file that cannot be written is left alone.
void saveViewSettings(const ViewSettings& settings);

// Where they are kept; empty when nowhere (no home folder at all).
QString viewSettingsFile();
