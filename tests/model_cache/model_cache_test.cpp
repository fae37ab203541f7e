// The model cache on its own: conversions written through a hidden sibling, found again only
// while the model and every file it names are unchanged, and pruned by age and total size.
#include "app/model_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>

#include "tests/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        names.insert(it->path().filename().string());
    return names;
}

// A writer that puts `bytes` bytes into "kordax.txt" and records where it wrote.
ModelCache::FolderWriter Writer(std::uintmax_t bytes, fs::path* writtenIn = nullptr) {
    return [bytes, writtenIn](const fs::path& folder, std::string&) {
        if (writtenIn != nullptr)
            *writtenIn = folder;
        std::ofstream(folder / "kordax.txt") << std::string(bytes, 'x');
        return true;
    };
}

class ModelCacheTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.Write("model.gltf", "the model's bytes");
        fs::create_directory(dir.Path() / "textures");
        dir.Write("textures/skin.png", "the first skin");
    }
    fs::path Model() const { return dir.Path() / "model.gltf"; }
    fs::path Root() const { return dir.Path() / "cache"; }
    std::uint64_t Key() const { return ModelCache::ModelKey(Model()).value(); }
    fs::path Store(const ModelCache& cache, std::uintmax_t bytes = 1) const {
        std::string error;
        const std::optional<fs::path> folder = cache.Store(
            Model(), Key(), {Model(), dir.Path() / "textures/skin.png"}, Writer(bytes), error);
        EXPECT_TRUE(folder.has_value()) << error;
        return folder.value_or(fs::path());
    }

    TempDir dir;
};

TEST_F(ModelCacheTest, AStoredConversionIsFoundUntilAFileItNamesChanges) {
    const ModelCache cache(Root());
    EXPECT_FALSE(cache.Find(Model(), Key()).has_value()) << "no cache folder yet";

    fs::path writtenIn;
    std::string error;
    const std::optional<fs::path> stored = cache.Store(
        Model(), Key(), {Model(), dir.Path() / "textures/skin.png"}, Writer(1, &writtenIn), error);
    ASSERT_TRUE(stored.has_value()) << error;
    EXPECT_EQ(writtenIn.parent_path(), Root());
    EXPECT_TRUE(writtenIn.filename().string().starts_with(".tmp-" + stored->filename().string()));
    EXPECT_EQ(Entries(Root()), std::set<std::string>{stored->filename().string()});
    EXPECT_EQ(Entries(*stored), (std::set<std::string>{".vorn-model", "kordax.txt"}));
    EXPECT_EQ(cache.Find(Model(), Key()), stored);

    // The same bytes under another name and folder, naming the same files: the same conversion.
    TempDir other;
    fs::copy(dir.Path() / "textures", other.Path() / "textures");
    fs::copy_file(Model(), other.Path() / "copy.gltf");
    EXPECT_EQ(cache.Find(other.Path() / "copy.gltf", Key()), stored);

    dir.Write("textures/skin.png", "the second skin");
    EXPECT_FALSE(cache.Find(Model(), Key()).has_value());
    const fs::path second = Store(cache);
    EXPECT_NE(second, *stored);
    EXPECT_EQ(second.filename().string().substr(0, 17), stored->filename().string().substr(0, 17))
        << "the model's own key is the same";
    EXPECT_EQ(cache.Find(Model(), Key()), second);

    fs::remove(dir.Path() / "textures/skin.png");
    EXPECT_FALSE(cache.Find(Model(), Key()).has_value()) << "a named file is gone";
    const std::uint64_t key = Key();
    dir.Write("model.gltf", "other bytes");
    EXPECT_NE(Key(), key);
}

TEST_F(ModelCacheTest, AFailedWriteLeavesNothingAndAnUnwritableCacheSaysWhy) {
    const ModelCache cache(Root());
    std::string error;
    const auto failing = [](const fs::path& folder, std::string& why) {
        std::ofstream(folder / "kordax.txt") << "half";
        why = "the disk is full";
        return false;
    };
    EXPECT_FALSE(cache.Store(Model(), Key(), {Model()}, failing, error).has_value());
    EXPECT_EQ(error, "the disk is full");
    EXPECT_TRUE(Entries(Root()).empty());

    dir.Write("file", "");
    const ModelCache underAFile(dir.Path() / "file" / "cache");
    EXPECT_FALSE(underAFile.Store(Model(), Key(), {Model()}, Writer(1), error).has_value());
    EXPECT_TRUE(error.starts_with("cannot make the cache folder " +
                                  (dir.Path() / "file" / "cache").string() + ": "))
        << error;
}

TEST_F(ModelCacheTest, PruningRemovesFoldersUnusedForLongThenTheLeastRecentlyUsedBeyondTheSize) {
    const ModelCache cache(Root());
    const auto now = fs::file_time_type::clock::now();
    using std::chrono::hours;
    // Five conversions (one per content of the named file), each of a little over 1000 bytes,
    // used 40, 20, 3, 2 and 1 days ago.
    std::vector<fs::path> folders;
    for (int age : {40, 20, 3, 2, 1}) {
        dir.Write("textures/skin.png", "skin " + std::to_string(age));
        folders.push_back(Store(cache, 1000));
        fs::last_write_time(folders.back() / ".vorn-model", now - hours(24 * age));
    }
    fs::create_directory(Root() / ".tmp-abandoned");
    fs::last_write_time(Root() / ".tmp-abandoned", now - hours(25));
    fs::create_directory(Root() / ".tmp-being-written");
    fs::create_directory(Root() / "not ours");
    fs::last_write_time(Root() / "not ours", now - hours(24 * 400));

    // Days: the oldest goes. Size: the least recently used go until the rest fit, but the
    // folder of this run stays whatever its age.
    cache.Prune({hours(24 * 30), 3200}, folders[2]);
    std::set<std::string> left = {".tmp-being-written", "not ours"};
    for (std::size_t i : {2, 3, 4})
        left.insert(folders[i].filename().string());
    EXPECT_EQ(Entries(Root()), left);

    cache.Prune({hours(24 * 30), 2100}, folders[2]);
    left.erase(folders[3].filename().string());
    EXPECT_EQ(Entries(Root()), left);
}

TEST(ModelCacheRoot, FollowsXdgCacheHomeWhenAbsoluteElseHome) {
    EXPECT_EQ(ModelCacheRoot("/x/cache", "/home/u"), fs::path("/x/cache/vorn/models"));
    EXPECT_EQ(ModelCacheRoot("relative", "/home/u"), fs::path("/home/u/.cache/vorn/models"));
    EXPECT_EQ(ModelCacheRoot("", "/home/u"), fs::path("/home/u/.cache/vorn/models"));
    EXPECT_EQ(ModelCacheRoot(nullptr, "/home/u"), fs::path("/home/u/.cache/vorn/models"));
    EXPECT_EQ(ModelCacheRoot(nullptr, nullptr), fs::path());
}

}  // namespace
