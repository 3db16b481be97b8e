#pragma once
// The frame's tick: everything that moves with time in every state of the
// game, also while it is paused or the sector panel is up, run once per
// frame after the battle step and before the picture is drawn:
//  - the screen shake and the static's jolt, counted down on every screen;
//  - on the title: the tune kept looping, the colour cycle advanced;
//  - on the sector panel between waves: the countdown, and the wave start
//    when it runs out;
//  - on the battle picture: the repaired labels counted down, and the
//    static's bands drawn while it lasts.
// The random draws keep the order the picture uses them in.
#include "core/Game.h"
#include "render/Frame.h"

FramePicture tickFrame(Game& game);

// The shake offset of the frame: Random(0..16) - 8 for x, then for y, while
// shakeTimer runs; the static adds a jolt of -12..+16 across and -8..+8
// down while staticTimer runs. Both timers fall by one.
FrameShake shakeFrame(Game& game);
