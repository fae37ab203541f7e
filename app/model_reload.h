// `vorn --watch`: the game's models read again whenever their files are saved, while the game
// runs. A settled change starts a worker thread that prepares the data folder (converting a
// model file) and reads everything that needs no OpenGL context; between two frames the main
// thread then swaps the new models in, or says why it could not and keeps the last good ones.
#pragma once

#include <atomic>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/file_watch.h"
#include "game/asset_registry.h"

// Makes the data folder to load and lists the files whose saves should reload it: for a folder,
// the folder itself and the data files its descriptors name; for a model file, a conversion.
// Runs on the worker thread. false with one line in `error` when there is nothing to load.
using PrepareFolder = std::function<bool(
    std::string& folder, std::vector<std::string>& watchedFiles, std::string& error)>;

struct WatchSource {
    std::string name;  // the model file or folder as given, for the console
    PrepareFolder prepare;
    // Removes a prepared folder that is no longer needed (a superseded or refused conversion);
    // empty when the folders are the user's own.
    std::function<void(const std::string& folder)> dropFolder;
};

// Puts read models into the scene on the context's thread; false with the reason.
using SwapInModels = std::function<bool(ReadModels& models, std::string& error)>;

class ModelReload {
  public:
    // `folder` is the one the game started on, prepared by `source`, and `watched` its files.
    ModelReload(WatchSource source, std::string folder, const std::vector<std::string>& watched,
                bool useInotify = true);
    ~ModelReload();  // waits for a read under way
    ModelReload(const ModelReload&) = delete;
    ModelReload& operator=(const ModelReload&) = delete;

    // Between two frames: swaps in a finished read (writing "Reloaded NAME" or the refusal to
    // `console`), and starts a read when a change has settled. Allocates nothing while nothing
    // changes.
    void Step(WatchClock::time_point now, const SwapInModels& swap, std::ostream& console);
    // Whether a read is under way, for tests.
    bool Reading() const { return worker_.joinable(); }

  private:
    struct Result {
        bool prepared = false;
        bool read = false;
        std::string folder;
        std::vector<std::string> watched;
        std::string error;
        ReadModels models;
    };

    void Read();
    void Finish(const SwapInModels& swap, std::ostream& console);
    void Drop(const std::string& folder) const;

    WatchSource source_;
    std::string folder_;
    FileWatch watch_;
    bool changePending_ = false;
    std::thread worker_;
    std::atomic<bool> done_{false};
    Result result_;  // the worker's alone until done_
};
