#pragma once
// The records of the battlefield and of the Hall of Fame. Plain data: the
// procedures that act on them are free functions elsewhere. Every field is
// zero when a list creates the record; the creating code sets the rest.
#include <cstdint>
#include <string>

#include "core/OrderedList.h"

// One building of a site's skyline.
struct Building {
    int64_t width = 0;    // 15..25 px
    int64_t height = 0;   // 40..80 px
    int64_t offsetX = 0;  // left edge relative to the site's x
};

// A city with its missile launcher.
struct Site {
    float x = 0;              // centre x: 182, 364, ... 1092
    int64_t ammo = 0;         // interceptors left
    uint8_t alive = 0;        // 1 while the city stands
    int64_t repairTimer = 0;  // frames the "* REPAIRED *" label still shows
    OrderedList<Building> buildings;
};

// An enemy missile. Its kind is not stored as one value: kindOf reads it
// from the flags.
struct Warhead {
    float startX = 0;
    float startY = 0;
    float x = 0;
    float y = 0;
    float targetX = 0;
    float speed = 0;
    uint8_t evasive = 0;   // THROBBER: dodges, worth 200 points
    uint8_t fragment = 0;  // released by a MIRV; never splits again
    float pulse = 0;       // THROBBER pulse phase
    float driftX = 0;      // THROBBER sideways velocity
    int64_t splitY = 0;    // MIRV: the height it splits at; -1 otherwise
    uint8_t seeker = 0;    // SEEKER: aims at the best-stocked site
    uint8_t zigzag = 0;    // ZIG-ZAGER: weaves sideways
    float zigPhase = 0;
};

// The five enemy kinds, plus the fragments a MIRV releases, which move and
// score like ICBMs but look different.
enum class WarheadKind { Seeker, ZigZager, Throbber, Mirv, Fragment, Icbm };

// A MIRV that has not split yet: a split height and no fragment flag. This
// alone decides whether a warhead splits at its height, or releases a
// fragment when a blast destroys it.
inline bool isUnsplitMirv(const Warhead& w) { return w.splitY >= 1 && w.fragment == 0; }

// The kind, from the first flag that is set, tested in this order: seeker,
// zigzag, evasive, an unsplit MIRV, fragment; otherwise an ICBM.
inline WarheadKind kindOf(const Warhead& w) {
    if (w.seeker != 0) return WarheadKind::Seeker;
    if (w.zigzag != 0) return WarheadKind::ZigZager;
    if (w.evasive != 0) return WarheadKind::Throbber;
    if (isUnsplitMirv(w)) return WarheadKind::Mirv;
    if (w.fragment != 0) return WarheadKind::Fragment;
    return WarheadKind::Icbm;
}

// A player's missile in flight.
struct Interceptor {
    float startX = 0;
    float startY = 0;
    float x = 0;
    float y = 0;
    float targetX = 0;
    float targetY = 0;
    float speed = 0;
    float travelled = 0;
    float distance = 0;
};

// Every circle of blast or light on the playfield.
struct Explosion {
    float x = 0;
    float y = 0;
    float radius = 0;
    float maxRadius = 0;
    int64_t red = 0;
    int64_t green = 0;
    int64_t blue = 0;
    int64_t alpha = 0;
    uint8_t growing = 0;
    int64_t fade = 0;
};

// One Hall of Fame entry.
struct ScoreEntry {
    std::string name;
    int64_t score = 0;
};
