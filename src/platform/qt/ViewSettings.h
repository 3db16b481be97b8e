#pragma once
// The player's view choices that outlive a run of the game: full screen and
// muted sound, kept with Qt's settings in the XDG config home
// (~/.config/zarvex/zarvex.conf). The difficulty is not among them: every
// run starts at Normal.
struct ViewSettings {
    bool fullScreen = false;
    bool muted = false;
};

// What the settings file says; a missing, unreadable or damaged file, or a
// value that is not plainly true or false, gives the default.
ViewSettings loadViewSettings();

// Best effort: a settings file that cannot be written is left alone.
void saveViewSettings(const ViewSettings& settings);
