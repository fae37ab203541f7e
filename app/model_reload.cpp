#include "app/model_reload.h"

#include <algorithm>
#include <utility>

namespace {

constexpr char kActorDescriptor[] = "kordax.txt";
constexpr char kPropDescriptor[] = "gun82.txt";

// The console line stays one line whatever the converter or a loader said.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

}  // namespace

ModelReload::ModelReload(WatchSource source, std::string folder,
                         const std::vector<std::string>& watched, bool useInotify)
    : source_(std::move(source)), folder_(std::move(folder)), watch_(useInotify) {
    watch_.Watch(watched);
}

ModelReload::~ModelReload() {
    if (worker_.joinable())
        worker_.join();
    if (result_.prepared && result_.folder != folder_)
        Drop(result_.folder);
}

void ModelReload::Step(WatchClock::time_point now, const SwapInModels& swap,
                       std::ostream& console) {
    if (worker_.joinable() && done_.load(std::memory_order_acquire)) {
        worker_.join();
        Finish(swap, console);
    }
    // Changes during a read are kept for the next one: the read may have missed them.
    if (watch_.Changed(now))
        changePending_ = true;
    if (changePending_ && !worker_.joinable()) {
        changePending_ = false;
        done_.store(false, std::memory_order_relaxed);
        result_ = Result{};
        worker_ = std::thread([this] { Read(); });
    }
}

void ModelReload::Read() {
    Result& r = result_;
    r.prepared = source_.prepare(r.folder, r.watched, r.error);
    if (r.prepared) {
        r.read = ReadModelsForReload(r.folder + "/", kActorDescriptor, kPropDescriptor, r.models,
                                     r.error);
    }
    done_.store(true, std::memory_order_release);
}

void ModelReload::Finish(const SwapInModels& swap, std::ostream& console) {
    Result& r = result_;
    // A save that named other files is watched by them from now on; an unreadable one keeps
    // the last list, with which its next save is seen.
    if (!r.watched.empty())
        watch_.Watch(r.watched);
    if (r.read && swap(r.models, r.error)) {
        if (r.folder != folder_)
            Drop(folder_);
        folder_ = r.folder;
        console << "Reloaded " << source_.name << std::endl;
    } else {
        if (r.prepared && r.folder != folder_)
            Drop(r.folder);
        console << "Could not reload " << source_.name << ": " << OneLine(r.error) << std::endl;
    }
    // The models swapped out, or those that were refused, go now.
    r = Result{};
}

void ModelReload::Drop(const std::string& folder) const {
    if (source_.dropFolder)
        source_.dropFolder(folder);
}
