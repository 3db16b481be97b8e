// The menu bar's layout and what the Difficulty items do.
#include "FlowTestWorld.h"
#include "ui/Menus.h"

namespace {

std::vector<std::pair<std::string, int64_t>> itemsOf(const MenuSpec& m) {
    std::vector<std::pair<std::string, int64_t>> out;
    for (const auto& i : m.items) out.emplace_back(i.text, i.id);
    return out;
}

TEST(MenuBar, ApplicationFileAndDifficultyInOrder) {
    const auto menus = menuBar("zarvex");
    ASSERT_EQ(menus.size(), 3u);

    EXPECT_TRUE(menus[0].applicationMenu);
    EXPECT_EQ(menus[0].title, "zarvex");
    EXPECT_EQ(itemsOf(menus[0]),
              (std::vector<std::pair<std::string, int64_t>>{{"About zarvex", -3}, {"Quit zarvex", -4}}));

    EXPECT_FALSE(menus[1].applicationMenu);
    EXPECT_EQ(menus[1].title, "File");
    EXPECT_EQ(itemsOf(menus[1]),
              (std::vector<std::pair<std::string, int64_t>>{{"Show High Scores", 4}, {"Watch Best Game", 7}, {"Clear High Scores", 5}}));

    EXPECT_FALSE(menus[2].applicationMenu);
    EXPECT_EQ(menus[2].title, "Difficulty");
    EXPECT_EQ(itemsOf(menus[2]),
              (std::vector<std::pair<std::string, int64_t>>{{"Easy", 1}, {"Normal", 2}, {"Hard", 3}}));
}

TEST(MenuBar, TheApplicationMenuCarriesTheExecutablesName) {
    const auto menus = menuBar("Zarvex Beta");
    EXPECT_EQ(menus[0].title, "Zarvex Beta");
    EXPECT_EQ(menus[0].items[0].text, "About Zarvex Beta");
    EXPECT_EQ(menus[0].items[1].text, "Quit Zarvex Beta");
    // No menu item carries the About box's own id.
    for (const auto& m : menuBar("z"))
        for (const auto& i : m.items) EXPECT_NE(i.id, MenuAboutBox);
}

class MenusTest : public FlowTestWorld {};

TEST_F(MenusTest, EachItemSetsItsDifficultyAndStartsANewGame) {
    struct Case {
        MenuId id;
        int64_t difficulty;
        float speedFactor;
    };
    for (const Case c : {Case{MenuHard, 2, 1.8f}, Case{MenuNormal, 1, 1.0f}, Case{MenuEasy, 0, 0.6f},
                         Case{MenuEasy, 0, 0.6f}, Case{MenuNormal, 1, 1.0f}}) {
        SCOPED_TRACE(c.id);
        toPlaying();
        game.state.level = 30;
        game.state.score = 31000;
        sound.clearLog();
        selectDifficulty(game, c.id);
        EXPECT_EQ(game.state.difficulty, c.difficulty);
        EXPECT_EQ(game.state.speedFactor, c.speedFactor);
        EXPECT_EQ(game.state.level, 1);
        EXPECT_EQ(game.state.score, 0);
        EXPECT_EQ(game.state.inGame, 1);
        EXPECT_EQ(game.state.intermission, 1);
        EXPECT_EQ(game.state.sites.size(), 6u);
        EXPECT_EQ(sounds(), (std::vector<SoundCall>{stop(SoundTitle), play(SoundAlert)}));
    }
    EXPECT_EQ(nameBoxes(), 0u);
}

TEST_F(MenusTest, AnIdOutsideTheThreeMeansNormal) {
    selectDifficulty(game, MenuEasy);
    selectDifficulty(game, MenuId(42));
    EXPECT_EQ(game.state.difficulty, 1);
    EXPECT_EQ(game.state.speedFactor, 1.0f);
}

}  // namespace
