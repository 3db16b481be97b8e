#include "app/ReplayChecks.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <sstream>
#include <vector>

#include "app/App.h"
#include "battle/Board.h"
#include "battle/Field.h"
#include "core/Numeric.h"
#include "ui/Menus.h"

namespace {

// What the battle sets and the frame counts down. Each is set in a battle
// step and counted down once by the same frame's tick, so no event (and no
// new game) ever finds one at its full length.
constexpr int64_t kLongestShake = 120;       // the last city lost, and the game-over flash
constexpr int64_t kLongestStatic = 30;       // a city lost
constexpr int64_t kGameOverSequence = 120;   // frames before a lost game may return to the title
constexpr float kNoSiteCouldFire = 10000.0f;  // the launch distance when no site could fire

// The phases grow by a fixed step in 32-bit floats until the step no longer
// changes them: the title's colour cycle (0.05 a frame) stops at 2^20, the
// alarm (0.16 a step) at 2^22.
constexpr float kTitlePhaseCeiling = 1048576.0f;
constexpr float kAlarmPhaseCeiling = 4194304.0f;

// The survival bonus of a wave that ends with `sites` cities standing,
// summed as the wave end sums it.
int64_t survivalBonus(int64_t level, MenuId difficulty, int sites) {
    const double perSite = siteBonusFor(level, difficultyFor(difficulty).speedFactor);
    int64_t bonus = 0;
    for (int i = 0; i < sites; ++i) bonus = roundHalfEven(double(bonus) + perSite);
    return bonus;
}

// Every survival bonus a wave can end with: 1 to 6 cities standing, on any
// wave, at any difficulty (the game before may have been played at
// another).
const std::vector<int64_t>& possibleSurvivalBonuses() {
    static const std::vector<int64_t> bonuses = [] {
        std::vector<int64_t> all{0};  // no wave ended yet in this run
        for (MenuId item : {MenuEasy, MenuNormal, MenuHard})
            for (int64_t level = 1; level <= kLastLevel; ++level)
                for (int sites = 1; sites <= field::kSites; ++sites) all.push_back(survivalBonus(level, item, sites));
        std::sort(all.begin(), all.end());
        all.erase(std::unique(all.begin(), all.end()), all.end());
        return all;
    }();
    return bonuses;
}

// The farthest the pointer can be from a site: the launch distance of any
// launch lies between 0 and this, in whole pixels.
float farthestLaunch() {
    float farthest = 0;
    for (float x : field::kSiteX) farthest = std::max({farthest, x, float(field::kWidth - 1) - x});
    return farthest;
}

bool flag(int64_t v) { return v == 0 || v == 1; }
bool within(int64_t v, int64_t low, int64_t high) { return v >= low && v <= high; }
// A phase: a number from 0 up to where its growth stops (never -0 or NaN).
bool phase(float v, float ceiling) { return !std::signbit(v) && v <= ceiling; }

std::string text(int64_t v) { return std::to_string(v); }
std::string text(float v) {
    std::ostringstream s;
    s.precision(9);
    s << v;
    return s.str();
}

}  // namespace

int64_t mostPointsOfAGame() {
    static const int64_t most = [] {
        int64_t points = 0;
        for (int64_t level = 1; level <= kLastLevel; ++level) {
            points += 200 * waveSizeFor(level) + survivalBonus(level, MenuHard, field::kSites);
        }
        return points;
    }();
    return most;
}

std::optional<ImpossibleField> impossibleStartField(const ReplayStart& s) {
    const float factor =
        difficultyFor(s.difficulty == 0 ? MenuEasy : s.difficulty == 2 ? MenuHard : MenuNormal).speedFactor;
    const float launch = s.launchDistance;
    const bool launchPossible = launch == kNoSiteCouldFire ||
                                (!std::signbit(launch) && launch <= farthestLaunch() && launch == std::floor(launch));
    const auto& bonuses = possibleSurvivalBonuses();
    // In the file's order; the first impossible one is named.
    const struct {
        const char* field;
        bool possible;
        std::string value;
    } rules[] = {
        {"difficulty", within(s.difficulty, 0, 2), text(s.difficulty)},
        {"speedFactor", std::bit_cast<uint32_t>(s.speedFactor) == std::bit_cast<uint32_t>(factor), text(s.speedFactor)},
        {"paused", flag(s.paused), text(s.paused)},
        {"intelShown", flag(s.intelShown), text(s.intelShown)},
        {"throbberMoved", flag(s.throbberMoved), text(s.throbberMoved)},
        {"shakeTimer", within(s.shakeTimer, 0, kLongestShake - 1), text(s.shakeTimer)},
        {"staticTimer", within(s.staticTimer, 0, kLongestStatic - 1), text(s.staticTimer)},
        {"gameOverTimer", within(s.gameOverTimer, 0, kGameOverSequence - 1), text(s.gameOverTimer)},
        {"mouseX", within(s.mouseX, 0, field::kWidth - 1), text(s.mouseX)},
        {"mouseY", within(s.mouseY, 0, field::kHeight - 1), text(s.mouseY)},
        {"lastBonus", std::binary_search(bonuses.begin(), bonuses.end(), s.lastBonus), text(s.lastBonus)},
        {"bonus", s.bonus == s.lastBonus, text(s.bonus)},
        {"titlePhase", phase(s.titlePhase, kTitlePhaseCeiling), text(s.titlePhase)},
        {"alarmPhase", phase(s.alarmPhase, kAlarmPhaseCeiling), text(s.alarmPhase)},
        {"launchDistance", launchPossible, text(s.launchDistance)},
    };
    for (const auto& rule : rules)
        if (!rule.possible) return ImpossibleField{rule.field, rule.value};
    return std::nullopt;
}

std::string shownVersion(std::string_view version) {
    std::string shown;
    for (char c : version) shown += (c >= 0x20 && c < 0x7f) ? c : '?';
    return shown;
}

std::optional<ReplayError> unplayableReason(const Replay& replay) {
    // Another version may play by other rules: its games prove nothing here.
    if (replay.gameVersion != kGameVersion) {
        const std::string by = replay.gameVersion.empty() ? std::string("an unnamed version of ZARVEX")
                                                          : "ZARVEX " + shownVersion(replay.gameVersion);
        return ReplayError{"it was recorded by " + by + ", and this is ZARVEX " + kGameVersion};
    }
    if (const auto field = impossibleStartField(replay.start))
        return ReplayError{"it is not a game ZARVEX can start: no new game has " + field->field + " " + field->value};
    if (!within(replay.end.level, 1, kLastLevel))
        return ReplayError{"it claims level " + text(replay.end.level) + ", and a game has levels 1 to " +
                           text(kLastLevel)};
    if (replay.end.score < 0)
        return ReplayError{"it claims a score of " + text(replay.end.score) + ", and no game loses points"};
    if (replay.end.score > mostPointsOfAGame())
        return ReplayError{"it claims a score of " + text(replay.end.score) + ", more than 100 waves can give"};
    return std::nullopt;
}

std::variant<Replay, ReplayError> readPlayableReplay(std::string_view bytes) {
    auto parsed = parseReplay(bytes);
    if (const Replay* replay = std::get_if<Replay>(&parsed))
        if (auto reason = unplayableReason(*replay)) return *reason;
    return parsed;
}
