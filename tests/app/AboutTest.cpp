// The About box: its text, its buttons, the opening of the project page
// and the pause around it.
#include <climits>

#include "FlowTestWorld.h"
#include "ui/AboutBox.h"

namespace {

// Passes everything to the scripted platform, and also notes the game's
// pause flag while the About alert is open, and takes only addresses
// without blanks or bytes outside ASCII, as a strict address parser would.
class ProbePlatform final : public Platform {
public:
    explicit ProbePlatform(ScriptedPlatform& inner) : p(inner) {}
    void watch(const GameState& state) { s = &state; }

    void becomeForegroundApp() override { p.becomeForegroundApp(); }
    void openWindow(const std::string& t, int w, int h) override { p.openWindow(t, w, h); }
    void buildMenus(const std::vector<MenuSpec>& m) override { p.buildMenus(m); }
    void hideCursorOverCanvas() override { p.hideCursorOverCanvas(); }
    void focusCanvas() override { p.focusCanvas(); }
    void activateApp() override { p.activateApp(); }
    void closeWindow() override { p.closeWindow(); }
    WindowEvent pollEvent() override { return p.pollEvent(); }
    void postMenuEvent(MenuId id) override { p.postMenuEvent(id); }
    int64_t clockMicros() const override { return p.clockMicros(); }
    void sleepUntilMicros(int64_t deadline) override { p.sleepUntilMicros(deadline); }
    std::string applicationSupportDir() override { return p.applicationSupportDir(); }
    std::string executablePath() override { return p.executablePath(); }
    TextRenderer& textRenderer() override { return p.textRenderer(); }
    FramePresenter& framePresenter() override { return p.framePresenter(); }
    void messageBox(const std::string& t, const std::string& b) override { p.messageBox(t, b); }
    bool yesNoBox(const std::string& t, const std::string& b) override { return p.yesNoBox(t, b); }
    std::string textInputBox(const std::string& t, const std::string& m, const std::string& i) override {
        return p.textInputBox(t, m, i);
    }
    AlertButton aboutAlert(const std::string& m, const std::string& i, const std::string& a,
                           const std::string& b) override {
        pausedDuringAlert.push_back(s ? s->paused : -1);
        return p.aboutAlert(m, i, a, b);
    }
    bool openWebAddress(const std::string& address) override {
        attempts.push_back(address);
        for (char c : address)
            if (c == ' ' || static_cast<unsigned char>(c) >= 0x80) return false;
        return p.openWebAddress(address);
    }
    std::string userFullName() override { return p.userFullName(); }
    int64_t osMajorVersion() override { return p.osMajorVersion(); }
    std::optional<std::string> cpuBrand() override { return p.cpuBrand(); }
    std::string platformName() override { return p.platformName(); }
    std::string formatGrouped(int64_t v) const override { return p.formatGrouped(v); }

    std::vector<int64_t> pausedDuringAlert;
    std::vector<std::string> attempts;

private:
    ScriptedPlatform& p;
    const GameState* s = nullptr;
};

const std::string kCredits =
    "\n\rCode, sound and pictures by the ZARVEX team\nWrite to us through our project page\n";

class AboutTest : public FlowTestWorld {
protected:
    AboutTest() : probe(platform), probed(probe, sound, random) { probe.watch(probed.state); }
    void SetUp() override {
        FlowTestWorld::SetUp();
        setInitialValues(probed.state);
    }
    // Inputs to the game that runs over the probe.
    void keyP(int64_t k) { handleKey(probed, k); }
    std::string bodyShown() {
        const auto shown = platform.logged("aboutAlert:");
        if (shown.empty()) return "";
        const std::string& line = shown.back();
        const size_t a = line.find('|');
        const size_t b = line.find("|Ok|");
        return line.substr(a + 1, b - a - 1);
    }

    ProbePlatform probe;
    Game probed;
};

TEST_F(AboutTest, TitleTextAndButtons) {
    platform.osMajor = 14;
    aboutBox(game);
    const std::string body = "A retro arcade game for Linux\nmade with great angst\n\rRunning on Linux 14 and Test CPU 3000" + kCredits;
    EXPECT_EQ(platform.log, (std::vector<std::string>{"activateApp", "aboutAlert:ZARVEX 1.01|" + body + "|Ok|See My Other Apps"}));
    EXPECT_TRUE(platform.openedAddresses.empty());  // "Ok" opens nothing
}

TEST_F(AboutTest, ProcessorName) {
    EXPECT_EQ(aboutText("Linux", 14, std::nullopt),
              "A retro arcade game for Linux\nmade with great angst\n\rRunning on Linux 14 and Unknown CPU" + kCredits);
    EXPECT_EQ(aboutText("macOS", 15, std::string(" \t Fast Chip")),
              "A retro arcade game for macOS\nmade with great angst\n\rRunning on macOS 15 and Fast Chip" + kCredits);
    // Nothing but blanks says nothing about the processor.
    EXPECT_EQ(aboutText("Linux", 6, std::string(" \t ")).find("and Unknown CPU\n\r") != std::string::npos, true);
    EXPECT_EQ(aboutText("Linux", 6, std::string("")).find("and Unknown CPU\n\r") != std::string::npos, true);

    // At most 1024 bytes of it, never cutting a character in two.
    const std::string prefix = "Running on Linux 6 and ";
    const std::string ascii(1500, 'x');
    std::string text = aboutText("Linux", 6, ascii);
    size_t at = text.find(prefix) + prefix.size();
    EXPECT_EQ(text.substr(at, text.size() - at - kCredits.size()), std::string(1024, 'x'));

    std::string wide = std::string(1023, 'y') + "\xC3\xA9" + "zz";  // e-acute straddles byte 1024
    text = aboutText("Linux", 6, wide);
    at = text.find(prefix) + prefix.size();
    EXPECT_EQ(text.substr(at, text.size() - at - kCredits.size()), std::string(1023, 'y'));
}

TEST_F(AboutTest, VersionPartIsTheMajorVersionInPlainDecimal) {
    EXPECT_EQ(versionPart(14), "14");
    EXPECT_EQ(versionPart(10), "10");
    EXPECT_EQ(versionPart(99), "99");
    EXPECT_EQ(versionPart(6), "6");  // a Linux 6 kernel is not "60"
    EXPECT_EQ(versionPart(0), "0");
    EXPECT_EQ(versionPart(1000000), "1000000");  // no grouping
    EXPECT_EQ(versionPart(-3), "-3");
    EXPECT_EQ(versionPart(INT64_MAX), "9223372036854775807");
    EXPECT_EQ(versionPart(INT64_MIN), "-9223372036854775808");
    platform.osMajor = 6;
    aboutBox(game);
    EXPECT_NE(bodyShown().find("Running on Linux 6 and Test CPU 3000\n\r"), std::string::npos);
}

TEST_F(AboutTest, SecondButtonOpensTheProjectPage) {
    platform.aboutAnswers.push_back(AlertSecond);
    aboutBox(game);
    EXPECT_EQ(platform.openedAddresses, std::vector<std::string>{kProjectPage});
    EXPECT_EQ(platform.logged("openWebAddress:").size(), 1u);
}

TEST_F(AboutTest, AnAddressRefusedTwiceClosesTheBoxQuietly) {
    platform.acceptAddresses = false;
    platform.aboutAnswers.push_back(AlertSecond);
    aboutBox(game);
    EXPECT_EQ(platform.logged("openWebAddress:"),
              (std::vector<std::string>{std::string("openWebAddress:") + kProjectPage,
                                        std::string("openWebAddress:") + kProjectPage}));
    EXPECT_TRUE(platform.openedAddresses.empty());
    EXPECT_TRUE(platform.logged("messageBox:").empty());
}

TEST_F(AboutTest, TheSecondAttemptIsPercentEscaped) {
    EXPECT_TRUE(openPage(probe, "https://zarvex.example.org/apps?q=big game&s=\xC3\xA9#top"));
    EXPECT_EQ(probe.attempts,
              (std::vector<std::string>{"https://zarvex.example.org/apps?q=big game&s=\xC3\xA9#top",
                                        "https://zarvex.example.org/apps?q=big%20game&s=%C3%A9%23top"}));
    EXPECT_EQ(platform.openedAddresses, std::vector<std::string>{"https://zarvex.example.org/apps?q=big%20game&s=%C3%A9%23top"});

    probe.attempts.clear();
    EXPECT_TRUE(openPage(probe, "https://zarvex.example.org/apps"));
    EXPECT_EQ(probe.attempts.size(), 1u);  // taken as it is: no second try
}

TEST(QueryEscape, KeepsTheQueryCharactersAndEscapesTheRest) {
    const std::string allowed =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!$&'()*+,-./:;=?@_~";
    EXPECT_EQ(escapeForQuery(allowed), allowed);
    EXPECT_EQ(escapeForQuery(" \"#%<>[\\]^`{|}"), "%20%22%23%25%3C%3E%5B%5C%5D%5E%60%7B%7C%7D");
    EXPECT_EQ(escapeForQuery(std::string("\n\t\x7f\0", 4)), "%0A%09%7F%00");
    EXPECT_EQ(escapeForQuery("\xE2\x82\xAC"), "%E2%82%AC");
    EXPECT_EQ(escapeForQuery(""), "");
    // Already-escaped text is escaped once more, never decoded.
    EXPECT_EQ(escapeForQuery("%20"), "%2520");
}

TEST_F(AboutTest, TheGameStandsStillBehindTheBoxAndResumesAfterIt) {
    struct Case {
        const char* name;
        std::vector<int64_t> keys;
        int64_t pausedDuring;
        int64_t pausedAfter;
    };
    const std::vector<Case> cases = {
        {"title", {}, 0, 0},
        {"sector panel", {KeySpace}, 1, 0},
        {"playing", {KeySpace, KeySpace}, 1, 0},
        {"paused by the player", {KeySpace, KeySpace, KeyP}, 1, 0},
        {"game over", {KeySpace, KeySpace, KeyEscape}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        probed.state = GameState{};
        setInitialValues(probed.state);
        for (int64_t k : c.keys) keyP(k);
        probe.pausedDuringAlert.clear();
        platform.log.clear();
        sound.clearLog();
        WindowEvent e;
        e.code = EventMenu;
        e.menuId = MenuAboutBox;
        EXPECT_TRUE(dispatchEvent(probed, e));
        EXPECT_EQ(probe.pausedDuringAlert, std::vector<int64_t>{c.pausedDuring});
        EXPECT_EQ(probed.state.paused, c.pausedAfter);
        // The box comes to the front, and the game window after it.
        ASSERT_EQ(platform.log.size(), 3u);
        EXPECT_EQ(platform.log[0], "activateApp");
        EXPECT_EQ(platform.log[2], "activateApp");
        EXPECT_TRUE(sound.calls.empty());  // the pause of the box is silent
    }
}

TEST_F(AboutTest, TheGameWindowComesBackAfterThePageOpens) {
    keyP(KeySpace);
    keyP(KeySpace);
    platform.aboutAnswers.push_back(AlertSecond);
    handleMenu(probed, MenuAboutBox);
    EXPECT_EQ(platform.log.back(), "activateApp");
    EXPECT_EQ(platform.log[platform.log.size() - 2], std::string("openWebAddress:") + kProjectPage);
    EXPECT_EQ(probed.state.paused, 0);
}

}  // namespace
