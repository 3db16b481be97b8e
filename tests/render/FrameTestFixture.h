#pragma once
// Shared set-up of the drawing tests: a game on the scripted platform with
// fixed text metrics, scripted random draws and a sound recorder, and a real
// drawing surface whose pixels the tests probe.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "FixedText.h"
#include "Scene.h"
#include "ScriptedPlatform.h"
#include "ScriptedRandom.h"
#include "SoundRecorder.h"
#include "core/Game.h"
#include "core/GameState.h"
#include "render/DrawSurface.h"
#include "app/Tick.h"
#include "render/Frame.h"

// Fixed metrics plus an extra fraction of a pixel per font, so that tests can
// tell rounded widths from unrounded ones.
class SkewedText final : public TextRenderer {
public:
    explicit SkewedText(FixedText& inner) : inner_(inner) {}
    FontHandle loadFont(const std::string& family, int64_t size, int64_t style) override {
        return inner_.loadFont(family, size, style);
    }
    double textWidth(FontHandle font, const std::string& text) override {
        auto it = extraWidth.find(font);
        return inner_.textWidth(font, text) + (it == extraWidth.end() ? 0.0 : it->second);
    }
    double textHeight(FontHandle font, const std::string& text) override {
        auto it = extraHeight.find(font);
        return inner_.textHeight(font, text) + (it == extraHeight.end() ? 0.0 : it->second);
    }
    void drawGlyphs(Canvas& c, FontHandle font, int64_t x, int64_t y, const std::string& text,
                    int64_t colour) override {
        inner_.drawGlyphs(c, font, x, y, text, colour);
    }
    std::map<FontHandle, double> extraWidth, extraHeight;

private:
    FixedText& inner_;
};

class FrameTest : public ::testing::Test {
protected:
    FrameTest() : text(platform.text), surface(text, &platform), game(platform, sound, random) {
        setInitialValues(game.state);
        game.state.bigFont = text.loadFont(".AppleSystemUIFont", 104, FontBold);
        game.state.smallFont = text.loadFont(".AppleSystemUIFont", 16, 0);
        game.state.groundColour = kGround;
        game.state.cityColour = kCity;
        // Off the canvas unless a test aims.
        game.state.mouseX = -100;
        game.state.mouseY = -100;
    }

    static constexpr int64_t kGround = rgb(40, 90, 30);
    static constexpr int64_t kCity = rgb(70, 130, 210);

    // A running wave: in a game, no panel.
    void playing() {
        game.state.inGame = 1;
        game.state.intermission = 0;
    }

    Site& addSite(float x, int64_t ammo = 10, uint8_t alive = 1) { return scene::addSite(game.state, x, ammo, alive); }
    Building& addBuilding(Site& s, int64_t offsetX, int64_t width, int64_t height) {
        return scene::addBuilding(s, offsetX, width, height);
    }
    Warhead& addWarhead(float startX, float startY, float x, float y) {
        return scene::addWarhead(game.state, startX, startY, x, y);
    }
    Interceptor& addInterceptor(float startX, float x, float y) {
        return scene::addInterceptor(game.state, startX, x, y);
    }
    Explosion& addExplosion(float x, float y, float radius, int64_t r, int64_t g, int64_t b, bool growing,
                            int64_t alpha = 255) {
        return scene::addExplosion(game.state, x, y, radius, r, g, b, growing, alpha);
    }

    // One frame's picture: its tick, then the drawing.
    void frame() {
        platform.text.drawn.clear();
        const FramePicture picture = tickFrame(game);
        drawFrame(game.state, picture, platform, surface);
    }
    int64_t at(int x, int y) const { return surface.pixel(x, y); }
    int64_t sky() const { return skyColour(game.state.level, game.state.alarmPhase); }

    // Texts drawn in the last frame, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& c : platform.text.drawn) out.push_back(c.text);
        return out;
    }
    const TextCall* drawnText(const std::string& s) const {
        for (const auto& c : platform.text.drawn)
            if (c.text == s) return &c;
        return nullptr;
    }
    const TextCall* drawnTextStarting(const std::string& prefix) const {
        for (const auto& c : platform.text.drawn)
            if (c.text.rfind(prefix, 0) == 0) return &c;
        return nullptr;
    }

    ScriptedPlatform platform;
    SoundRecorder sound;
    ScriptedRandom random;
    SkewedText text;
    DrawSurface surface;
    Game game;
};
