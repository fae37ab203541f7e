// `vorn --watch` through the real window: a model saved the way editors save (a new file renamed
// over the old one) is reloaded and shown, a broken save leaves the last good model on screen
// and the game running, and a texture saved in a watched folder changes the picture's colour.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "assets/image_writer.h"
#include "tests/firstrun/game_process.h"
#include "tests/firstrun/x11_session.h"
#include "tests/support/gltf_models.h"
#include "tests/temp_dir.h"
#include "tools/content/content_writer.h"

namespace {

namespace fs = std::filesystem;

// Replaces `path` as editors do: the new bytes go to a file beside it, renamed over it.
void SaveByRename(const fs::path& path, const std::string& bytes) {
    const fs::path next = path.string() + ".saving";
    std::ofstream(next, std::ios::binary) << bytes;
    fs::rename(next, path);
}

int Differing(const Frame& a, const Frame& b) {
    int count = 0;
    for (std::size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i) {
        const Pixel& p = a.pixels[i];
        const Pixel& q = b.pixels[i];
        count += (p.r != q.r || p.g != q.g || p.b != q.b) ? 1 : 0;
    }
    return count;
}

int Red(const Frame& frame) {
    int count = 0;
    for (const Pixel& p : frame.pixels)
        count += (p.r >= 200 && p.g <= 40 && p.b <= 40) ? 1 : 0;
    return count;
}

class Watch : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(x.Connected()) << "needs an X display"; }

    std::string Console() const { return dir.Read("console.txt"); }
    bool ConsoleHas(const std::string& text) const {
        return Console().find(text) != std::string::npos;
    }
    // Answers the question, waits for the first frames; the game window, or 0.
    unsigned long Show() {
        const unsigned long window = AnswerNoAndFindWindow(x);
        if (window == 0 || !WaitUntil([&] { return ConsoleHas("Frames per sec: "); }))
            return 0;
        return window;
    }
    void Quit(GameProcess& game, unsigned long window) {
        ASSERT_TRUE(WaitUntil([&] {
            x.SendKey(window, "Escape", true);
            return WaitUntil([&] { return !game.Running(); }, std::chrono::milliseconds(1000));
        })) << "the game did not end on Escape";
        EXPECT_EQ(game.Status(), 0) << Console();
    }
    // The conversions in the game's model cache (hidden siblings being written aside).
    int Conversions(const fs::path& cache) const {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(cache / "vorn/models"))
            count += entry.path().filename().string().rfind('.', 0) != 0 ? 1 : 0;
        return count;
    }

    X11Session x;
    TempDir dir;
};

TEST_F(Watch, AModelSavedByRenameIsShownABrokenSaveKeepsTheLastGoodOneAndNoConversionPilesUp) {
    tinygltf::Model model = TexturedModel(false);
    ASSERT_TRUE(WriteModelFile(model, dir.File("sign.glb")));
    const fs::path cache = dir.Path() / "cache";
    GameProcess game({dir.Path(),
                      {VORN_GAME, "--watch", "sign.glb"},
                      false,
                      {{"XDG_CACHE_HOME", cache.string()}}},
                     dir.File("console.txt"));
    ASSERT_TRUE(game.Started());
    const unsigned long window = Show();
    ASSERT_NE(window, 0u) << Console();
    const std::optional<Frame> first = x.Capture(window);
    ASSERT_TRUE(first.has_value());

    // The sign's picture in its complementary colours.
    tinygltf::Image& image = model.images[0];
    for (std::size_t i = 0; i < image.image.size(); ++i) {
        if (image.component != 4 || i % 4 != 3)
            image.image[i] = static_cast<unsigned char>(255 - image.image[i]);
    }
    const std::vector<unsigned char> saved = SaveModel(model, true);
    SaveByRename(dir.Path() / "sign.glb", std::string(saved.begin(), saved.end()));
    ASSERT_TRUE(WaitUntil([&] { return ConsoleHas("Reloaded sign.glb"); })) << Console();
    std::optional<Frame> reloaded;
    EXPECT_TRUE(WaitUntil([&] {
        reloaded = x.Capture(window);
        return reloaded && Differing(*first, *reloaded) > 500;
    })) << "the picture did not change";
    EXPECT_EQ(Conversions(cache), 1);

    SaveByRename(dir.Path() / "sign.glb", "glTF, but not really");
    ASSERT_TRUE(WaitUntil([&] { return ConsoleHas("Could not reload sign.glb: "); })) << Console();
    // A few frames later: the same picture, from a game that still runs.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::optional<Frame> kept = x.Capture(window);
    ASSERT_TRUE(kept.has_value() && reloaded.has_value());
    EXPECT_EQ(Differing(*reloaded, *kept), 0);
    EXPECT_TRUE(game.Running());
    EXPECT_EQ(Conversions(cache), 1);
    // One line says why.
    const std::string console = Console();
    const std::size_t refusal = console.find("Could not reload sign.glb: ");
    EXPECT_EQ(console.find("Could not reload", refusal + 1), std::string::npos) << console;
    Quit(game, window);
}

TEST_F(Watch, ATextureSavedInAWatchedFolderChangesThePicturesColour) {
    std::string failed;
    ASSERT_TRUE(WriteContent(dir.File("data"), 1, failed)) << failed;
    GameProcess game({dir.Path(), {VORN_GAME, "--watch", "data"}}, dir.File("console.txt"));
    ASSERT_TRUE(game.Started());
    const unsigned long window = Show();
    ASSERT_NE(window, 0u) << Console();
    const std::optional<Frame> before = x.Capture(window);
    ASSERT_TRUE(before.has_value());
    EXPECT_LT(Red(*before), 50);

    // The robot's armour plates turn red.
    std::vector<std::uint8_t> pixels(64 * 64 * 3, 0);  // blue, green, red
    for (std::size_t i = 2; i < pixels.size(); i += 3)
        pixels[i] = 255;
    ASSERT_TRUE(WriteTga(dir.File("data/plate.tga"), 64, 64, 24, pixels, false));
    ASSERT_TRUE(WaitUntil([&] { return ConsoleHas("Reloaded data"); })) << Console();
    EXPECT_TRUE(WaitUntil([&] {
        const std::optional<Frame> after = x.Capture(window);
        return after && Red(*after) > 2000;
    })) << "the robot did not turn red";
    Quit(game, window);
}

}  // namespace
