#include "render/Screens.h"

#include <cmath>

#include "battle/Field.h"
#include "core/Numeric.h"
#include "render/Playfield.h"
#include "ui/NumberFormat.h"

namespace {

constexpr double kWidth = field::kWidth;
constexpr double kHeight = field::kHeight;

// The frame of the sector panel and its centred lines.
constexpr double kPanelLeft = 430;
constexpr double kPanelWidth = 420;
void panelLine(DrawSurface& s, const std::string& text, double y, Colour colour) {
    drawCentred(s, text, kPanelWidth, kPanelLeft, y, colour);
}

}  // namespace

void drawCentred(DrawSurface& surface, const std::string& text, double width, double left, double y,
                 Colour colour) {
    surface.drawText((width - surface.textWidth(text)) * 0.5 + left, y, text, colour);
}

TitleColours titleColours(float phase) {
    const double f = phase;
    TitleColours c;
    c.title = rgb(roundHalfEven(std::sin(f) * 127 + 127), roundHalfEven(std::sin(f + 2) * 127 + 127),
                  roundHalfEven(std::sin(f + 4) * 127 + 127));
    const int64_t v = roundHalfEven(std::sin(2 * f) * 100 + 150);
    c.prompt = rgb(v, v, v);
    return c;
}

void drawTitleScreen(const GameState& gs, const Platform& platform, DrawSurface& surface) {
    const TitleColours colours = titleColours(gs.titlePhase);

    surface.setMode(Transparent);
    surface.setFont(gs.bigFont);
    // The one text centred on its rounded width.
    const std::string title = "ZARVEX";
    surface.drawText((kWidth - double(roundHalfEven(surface.textWidth(title)))) * 0.5, 256, title, colours.title);
    surface.setFont(defaultFont);

    surface.setFont(gs.smallFont);
    drawCentred(surface, "PRESS [ I ] FOR ENEMY INTEL", kWidth, 0, 434, palette::IntelPrompt);
    drawCentred(surface, "PRESS SPACE TO PLAY", kWidth, 0, 524, colours.prompt);

    if (!gs.highScores.empty()) {
        const ScoreEntry& best = gs.highScores[0];
        surface.drawText(20, 728,
                         "TOP DEFENDER: " + best.name + " (" + formatNumber(platform, best.score) + " Points)",
                         palette::TopDefender);
    }
    surface.setFont(defaultFont);
}

void drawIntelScreen(const GameState& gs, int64_t clockMs, DrawSurface& surface) {
    surface.setMode(Outlined);
    surface.box(290, 134, 700, 500, palette::PanelFrame);
    surface.setMode(Transparent);
    surface.setFont(gs.smallFont);

    drawCentred(surface, ">>> INTEL: RAZEDEREV THREAT ANALYSIS <<<", 700, 290, 164, palette::Green);

    // One row per enemy kind: its icon, drawn as in battle, then its text.
    constexpr double kTextX = 420;

    surface.line(350, 234, 390, 254, palette::IcbmTrail);
    surface.box(388, 252, 5, 5, palette::IcbmHead);
    surface.drawText(kTextX, 239, "ICBMS: These are standard ballistic missiles (50 Points)",
                     palette::IcbmHead);

    surface.line(350, 294, 390, 314, palette::IcbmTrail);
    surface.box(388, 312, 6, 6, palette::FragmentHead);
    surface.drawText(kTextX, 299, "MIRVS: These split into multiple warheads (50 Points)",
                     palette::FragmentHead);

    // The SEEKER chevron swings with the clock, as in battle.
    const int64_t s = seekerSwing(clockMs);
    surface.line(370, 348 - s, 376 + s, 354, palette::SeekerChevron);
    surface.line(376 + s, 354, 370, 360 + s, palette::SeekerChevron);
    surface.box(368, 352, 4, 4, palette::White);
    surface.drawText(kTextX, 344, "SEEKERS: These actively target your missile supplies (50 Points)",
                     palette::SeekerChevron);

    surface.circle(370, 414, 5, palette::ZigZager);
    surface.drawText(kTextX, 404, "ZIG-ZAGERS: These can perform fast, erratic attacks (50 Points)",
                     palette::ZigZager);

    surface.circle(370, 474, 12, palette::Throbber);
    surface.circle(370, 474, 6, palette::White);
    surface.drawText(kTextX, 464, "THROBBERS: These can evade missile fire (200 Points)", palette::Throbber);

    drawCentred(surface, "PRESS SPACE FOR TITLE SCREEN", 700, 290, 564, palette::Yellow);
    surface.setFont(defaultFont);
}

void drawSectorPanel(const GameState& gs, const Platform& platform, DrawSurface& surface) {
    surface.setMode(Outlined);
    surface.box(430, 274, 420, 220, palette::PanelFrame);
    surface.box(432, 276, 416, 216, palette::PanelInnerFrame);
    surface.setMode(Transparent);
    surface.setFont(gs.smallFont);

    panelLine(surface, ">>> SECTOR " + std::to_string(gs.level) + " STATUS: SECURED <<<", 304, palette::Green);
    if (gs.level == 1) {
        // The start of a game waits for SPACE.
        panelLine(surface, "OBJECTIVE: PROTECT URBAN CENTERS", 354, palette::Green);
        panelLine(surface, "PRESS SPACE TO BEGIN", 434, palette::Yellow);
    } else {
        // The tick has already counted this frame off.
        panelLine(surface, "LAST WAVE SURVIVAL BONUS: " + formatNumber(platform, gs.lastBonus), 354, palette::Green);
        panelLine(surface, "NEXT WAVE STARTS IN: " + std::to_string(gs.countdown / 60 + 1) + " SEC", 434,
                  palette::Yellow);
    }
    surface.setFont(defaultFont);
}

void drawGameOverOverlay(const GameState& gs, DrawSurface& surface) {
    const std::string prompt = "PRESS SPACE TO PLAY AGAIN";
    // The frame is sized from the prompt in the default font: 20 pixels
    // wider on each side.
    surface.setFont(defaultFont);
    const int64_t w = roundHalfEven(surface.textWidth(prompt) + 40);
    surface.setMode(Outlined);
    surface.box((field::kWidth - w) / 2, 324, w, 120, palette::Red);

    surface.setMode(Transparent);
    surface.setFont(gs.smallFont);
    drawCentred(surface, "GAME OVER", kWidth, 0, 344, palette::Red);
    surface.setFont(defaultFont);
    drawCentred(surface, prompt, kWidth, 0, 384, palette::Red);
}

void drawPauseOverlay(DrawSurface& surface) {
    const std::string label = "PAUSED";
    surface.setFont(defaultFont);
    // The label sits in the middle of the canvas, framed 30 pixels wider on
    // each side and 15 taller above and below, whatever the font measures.
    const double m = surface.textWidth(label);
    const double n = surface.textHeight(label);
    const int64_t w = roundHalfEven(m + 60);
    const int64_t h = roundHalfEven(n + 30);
    surface.setMode(Outlined);
    surface.box((field::kWidth - w) / 2, (field::kHeight - h) / 2, w, h, palette::Yellow);
    surface.setMode(Transparent);
    surface.drawText((kWidth - m) * 0.5, (kHeight - n) * 0.5, label, palette::Yellow);
}
