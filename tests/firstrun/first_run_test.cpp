// The first run, as a user makes it: the real game started on a fresh content folder answers
// the full-screen question with Escape (No), shows the robot holding its gun, reports its load
// time and frame rate, ends on a tap of Escape with status 0 and leaves its caches; a second
// start, in that folder, reads those caches and does not rewrite them. And the game installed
// with cmake --install starts from its menu entry on its read-only content. Then the keys an
// artist uses on it (Space holds the animation, F12 saves the window's picture), and a start
// without a display, which ends at once and says why.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <stb/stb_image.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/firstrun/game_process.h"
#include "tests/firstrun/x11_session.h"
#include "tests/temp_dir.h"
#include "tools/content/content_writer.h"

namespace {

bool RobotColour(const Pixel& p) {
    return p.b >= 100 && p.b >= p.r + 15 && p.b >= p.g;
}
bool GunColour(const Pixel& p) {
    return p.r >= 200 && p.g >= 60 && p.g <= 150 && p.b <= 60;
}

struct CacheFile {
    std::string bytes;
    ino_t inode = 0;
    std::int64_t modifiedNs = 0;
    friend bool operator==(const CacheFile&, const CacheFile&) = default;
};

class FirstRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(x.Connected()) << "needs an X display";
        std::string failed;
        ASSERT_TRUE(WriteContent(Data().string(), 1, failed)) << failed;
    }

    std::filesystem::path Data() const { return dir.Path() / "data"; }
    std::string Console() const { return dir.Read("console.txt"); }
    bool ConsoleHas(const std::string& text) const {
        return Console().find(text) != std::string::npos;
    }

    // Starts the game, says No to full screen, waits for both console lines, lets `play` use
    // the window, captures a frame when asked, ends the game with a tap of Escape. The exit
    // status lands in `status`.
    void Run(const Start& start, int& status, std::optional<Frame>* frame,
             const std::function<void(unsigned long window)>& play = {}) {
        GameProcess game(start, dir.File("console.txt"));
        ASSERT_TRUE(game.Started());
        const unsigned long window = AnswerNoAndFindWindow(x);
        ASSERT_NE(window, 0u) << "no full-screen question, or no game window after it\n"
                              << Console();
        ASSERT_TRUE(WaitUntil([&] { return ConsoleHas("Load Time "); })) << Console();
        ASSERT_TRUE(WaitUntil([&] { return ConsoleHas("Frames per sec: "); })) << Console();
        if (play) {
            play(window);
        }
        if (frame != nullptr) {
            *frame = x.Capture(window);
        }
        ASSERT_TRUE(WaitUntil([&] {
            x.SendKey(window, "Escape", true);
            return WaitUntil([&] { return !game.Running(); }, std::chrono::milliseconds(1000));
        })) << "the game did not end on Escape";
        status = game.Status();
    }

    std::map<std::string, CacheFile> Caches(const std::filesystem::path& folder) const {
        std::map<std::string, CacheFile> caches;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            const std::string extension = entry.path().extension().string();
            if (extension != ".prs" && extension != ".kdt") {
                continue;
            }
            struct stat info = {};
            stat(entry.path().c_str(), &info);
            std::ifstream in(entry.path(), std::ios::binary);
            caches[name] = {{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()},
                            info.st_ino,
                            info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec};
        }
        return caches;
    }

    X11Session x;
    TempDir dir;
};

TEST_F(FirstRun, ShowsTheRobotWithItsGunEndsOnEscapeAndTheSecondStartKeepsTheCaches) {
    // Started elsewhere, on the folder named on its command line.
    int status = -1;
    std::optional<Frame> frame;
    Run({dir.Path(), {VORN_GAME, Data().string()}}, status, &frame);
    if (HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(status, 0) << Console();

    ASSERT_TRUE(frame.has_value());
    ASSERT_EQ(frame->width, 640);
    ASSERT_EQ(frame->height, 480);
    // The camera looks at the robot's middle; the gun is in its right hand, on the left of the
    // picture since the robot faces the camera.
    EXPECT_TRUE(RobotColour(frame->At(320, 240)));
    int robot = 0;
    int gun = 0;
    int gunOnTheLeft = 0;
    for (int y = 0; y < frame->height; ++y) {
        for (int x0 = 0; x0 < frame->width; ++x0) {
            const Pixel& p = frame->At(x0, y);
            robot += RobotColour(p) ? 1 : 0;
            if (GunColour(p)) {
                ++gun;
                gunOnTheLeft += x0 < 320 ? 1 : 0;
            }
        }
    }
    EXPECT_GT(robot, 5000);
    EXPECT_GT(gun, 40);
    EXPECT_EQ(gunOnTheLeft, gun);

    const auto caches = Caches(Data());
    std::vector<std::string> names;
    for (const auto& [name, file] : caches) {
        names.push_back(name);
        EXPECT_FALSE(file.bytes.empty()) << name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"aim.kdt", "gun82.kdt", "gun82.prs", "idle.kdt",
                                               "kordax.prs", "walk.kdt"}));

    // A rewrite, even with the same bytes, would show as a new file or a new time.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Run({Data(), {VORN_GAME}}, status, nullptr);
    if (HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(status, 0) << Console();
    EXPECT_TRUE(Caches(Data()) == caches) << "the second start rewrote its caches";
}

TEST_F(FirstRun, TheInstalledGameStartsFromItsMenuEntryOnItsReadOnlyContent) {
    const std::filesystem::path prefix = dir.Path() / "installed here";
    const std::string install = std::string("\"") + VORN_CMAKE + "\" --install \"" +
                                VORN_BUILD_DIR + "\" --prefix \"" + prefix.string() + "\" > \"" +
                                dir.File("install.txt") + "\" 2>&1";
    ASSERT_EQ(std::system(install.c_str()), 0) << dir.Read("install.txt");

    const std::filesystem::path entry = prefix / "share/applications/vorn.desktop";
    EXPECT_EQ(std::system(("desktop-file-validate \"" + entry.string() + "\"").c_str()), 0);
    EXPECT_TRUE(std::filesystem::exists(prefix / "share/icons/hicolor/scalable/apps/vorn.svg"));
    EXPECT_TRUE(std::filesystem::exists(prefix / "bin/vorn-inspect"));
    EXPECT_TRUE(std::filesystem::exists(prefix / "bin/vorn-convert"));
    // The entry's command: the installed game (quoted) in the installed content's folder, on a
    // model file when a file manager gives one.
    std::ifstream in(entry);
    std::map<std::string, std::string> keys;
    for (std::string line; std::getline(in, line);) {
        if (const std::size_t equals = line.find('='); equals != std::string::npos)
            keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    const std::string game = (prefix / "bin/vorn").string();
    const std::filesystem::path data = prefix / "share/vorn/data";
    ASSERT_EQ(keys["Exec"], "\"" + game + "\" %f");
    ASSERT_EQ(keys["Path"], data.string());
    EXPECT_NE(keys["MimeType"].find("model/gltf-binary;"), std::string::npos);
    // Every type it opens is one the desktop knows: Debian's, or one of ours, which the install
    // put into the prefix's MIME database (that holds only what parsed).
    std::ifstream debianTypes("/usr/share/mime/packages/freedesktop.org.xml");
    const std::string debian{std::istreambuf_iterator<char>(debianTypes), {}};
    std::istringstream types(keys["MimeType"]);
    for (std::string type; std::getline(types, type, ';');) {
        EXPECT_TRUE(debian.find("<mime-type type=\"" + type + "\">") != std::string::npos ||
                    std::filesystem::exists(prefix / "share/mime" / (type + ".xml")))
            << type;
    }
    // File managers find the game for a type in the applications' cache.
    std::ifstream cache(prefix / "share/applications/mimeinfo.cache");
    const std::string openers{std::istreambuf_iterator<char>(cache), {}};
    EXPECT_NE(openers.find("\napplication/x-fbx=vorn.desktop;"), std::string::npos) << openers;

    // Read-only for the game: caches it cannot write are kept in memory.
    using std::filesystem::perms;
    std::filesystem::permissions(dir.Path(), perms::owner_all | perms::group_read |
                                                 perms::group_exec | perms::others_read |
                                                 perms::others_exec);
    std::filesystem::permissions(data,
                                 perms::owner_write | perms::group_write | perms::others_write,
                                 std::filesystem::perm_options::remove);
    int status = -1;
    std::optional<Frame> frame;
    Run({data, {game}, true}, status, &frame);
    std::filesystem::permissions(data, perms::owner_write, std::filesystem::perm_options::add);
    if (HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(status, 0) << Console();
    ASSERT_TRUE(frame.has_value());
    EXPECT_TRUE(RobotColour(frame->At(320, 240)));
    EXPECT_TRUE(Caches(data).empty());
}

std::vector<std::uint8_t> Bytes(const Frame& frame) {
    std::vector<std::uint8_t> bytes;
    for (const Pixel& p : frame.pixels) {
        bytes.insert(bytes.end(), {p.r, p.g, p.b});
    }
    return bytes;
}

// The picture a PNG file holds, in the layout of a captured frame.
std::optional<Frame> ReadPng(const std::filesystem::path& file) {
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* rgb = stbi_load(file.c_str(), &width, &height, &channels, 3);
    if (rgb == nullptr) {
        return std::nullopt;
    }
    Frame frame{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        frame.pixels.push_back({rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]});
    }
    stbi_image_free(rgb);
    return frame;
}

TEST_F(FirstRun, SpaceHoldsThePictureAndF12SavesItAtTheWindowsSizeUnderANameOfItsOwn) {
    // A home of the test's own, with no folders set up for xdg-user-dir: ~/Pictures then.
    const std::filesystem::path home = dir.Path() / "home";
    const std::filesystem::path pictures = home / "Pictures";
    std::filesystem::create_directories(pictures);
    // Every plain name for the next ten minutes is taken, so each press needs a suffix.
    const std::time_t now = std::time(nullptr);
    for (std::time_t t = now; t < now + 600; ++t) {
        std::tm local{};
        localtime_r(&t, &local);
        char name[64];
        std::strftime(name, sizeof name, "vorn-%Y%m%d-%H%M%S.png", &local);
        std::ofstream(pictures / name) << "taken";
    }

    const auto tap = [&](unsigned long window, const char* key) { x.SendKey(window, key, true); };
    const auto savedLines = [&] {
        std::vector<std::string> files;
        std::istringstream console(Console());
        const std::string saved = "Picture saved as ";
        for (std::string line; std::getline(console, line);) {
            // The console ends its lines with CR LF.
            if (line.rfind(saved, 0) == 0 && line.ends_with('\r')) {
                files.push_back(line.substr(saved.size(), line.size() - saved.size() - 1));
            }
        }
        return files;
    };
    std::optional<Frame> held;
    std::vector<std::string> files;
    int status = -1;
    const Start start{dir.Path(),
                      {VORN_GAME, Data().string()},
                      false,
                      {{"HOME", home.string()}, {"XDG_CONFIG_HOME", (home / ".config").string()}}};
    Run(start, status, nullptr, [&](unsigned long window) {
        const auto picture = [&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            return x.Capture(window);
        };
        const std::optional<Frame> running = picture();
        const std::optional<Frame> runningLater = picture();
        tap(window, "space");
        held = picture();
        const std::optional<Frame> heldLater = picture();
        tap(window, "F12");
        ASSERT_TRUE(WaitUntil([&] { return savedLines().size() == 1; })) << Console();
        tap(window, "F12");
        ASSERT_TRUE(WaitUntil([&] { return savedLines().size() == 2; })) << Console();
        tap(window, "space");
        const std::optional<Frame> resumed = picture();
        ASSERT_TRUE(running && runningLater && held && heldLater && resumed);
        EXPECT_NE(Bytes(*running), Bytes(*runningLater)) << "the robot does not move";
        EXPECT_EQ(Bytes(*held), Bytes(*heldLater)) << "Space did not hold the animation";
        EXPECT_NE(Bytes(*heldLater), Bytes(*resumed)) << "Space did not resume the animation";
        files = savedLines();
    });
    if (HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(status, 0) << Console();
    ASSERT_EQ(files.size(), 2u) << Console();
    EXPECT_NE(files[0], files[1]);
    for (const std::string& file : files) {
        const std::filesystem::path path(file);
        EXPECT_EQ(path.parent_path(), pictures);
        const std::string name = path.filename().string();
        // vorn-YYYYMMDD-HHMMSS-N.png
        EXPECT_EQ(name.rfind("vorn-", 0), 0u) << name;
        EXPECT_TRUE(name.size() >= 26 && name[13] == '-' && name[20] == '-') << name;
        EXPECT_TRUE(name.ends_with("-2.png") || name.ends_with("-3.png")) << name;
        const std::optional<Frame> png = ReadPng(path);
        ASSERT_TRUE(png.has_value()) << name;
        EXPECT_EQ(png->width, 640);
        EXPECT_EQ(png->height, 480);
        EXPECT_TRUE(Bytes(*png) == Bytes(*held)) << name << " is not the window's picture";
    }
    std::size_t taken = 0;
    for (const auto& entry : std::filesystem::directory_iterator(pictures)) {
        if (entry.path().filename().string().find('-', 14) == std::string::npos) {
            std::ifstream in(entry.path());
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "taken");
            ++taken;
        }
    }
    EXPECT_EQ(taken, 600u);
}

TEST_F(FirstRun, WithoutADisplayTheGameSaysWhichIsMissingAndEndsUnlessAVideoDriverIsNamed) {
    const auto start = [&](std::optional<std::string> driver,
                           std::optional<std::string> display = std::nullopt) {
        const Start without{dir.Path(),
                            {VORN_GAME, Data().string()},
                            false,
                            {{"DISPLAY", display},
                             {"WAYLAND_DISPLAY", std::string()},
                             {"SDL_VIDEODRIVER", driver}}};
        GameProcess game(without, dir.File("console.txt"));
        EXPECT_TRUE(WaitUntil([&] { return !game.Running(); })) << "the game did not end";
        return game.Status();
    };
    EXPECT_EQ(start(std::nullopt), 1);
    EXPECT_EQ(Console(),
              "vorn: no display to show the game on: DISPLAY is unset and WAYLAND_DISPLAY is "
              "empty (SDL_VIDEODRIVER=offscreen renders without one)\n");
    // A driver named on purpose is SDL's to try; without an X display this one cannot start.
    EXPECT_EQ(start("x11"), 1);
    EXPECT_FALSE(ConsoleHas("no display")) << Console();
    EXPECT_TRUE(ConsoleHas("ERROR: Failed To Register The Window Class.")) << Console();
    // A display that names no server would leave SDL on its off-screen driver.
    EXPECT_EQ(start(std::nullopt, ":97"), 1);
    EXPECT_TRUE(
        ConsoleHas("vorn: no display to show the game on: DISPLAY=:97 could not be "
                   "opened\n"))
        << Console();
}

}  // namespace
