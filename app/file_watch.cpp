#include "app/file_watch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

// Everything that can end with a different file under a watched name: writes, a new file
// renamed over it or created in its place, its removal, a change of its attributes.
constexpr std::uint32_t kFolderEvents =
    IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

}  // namespace

FileWatch::FileWatch(bool useInotify) {
    if (useInotify)
        inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
}

FileWatch::~FileWatch() {
    if (inotify_ >= 0)
        close(inotify_);
}

void FileWatch::Watch(const std::vector<std::string>& files) {
    files_ = files;
    if (inotify_ >= 0 && WatchFolders(files))
        return;
    StartPolling();
}

bool FileWatch::WatchFolders(const std::vector<std::string>& files) {
    DropFolders();
    for (const std::string& file : files) {
        const std::filesystem::path path(file);
        const std::string folder = path.has_parent_path() ? path.parent_path().string() : ".";
        const int descriptor = inotify_add_watch(inotify_, folder.c_str(), kFolderEvents);
        if (descriptor < 0)
            return false;
        // Watching a folder twice gives its descriptor again.
        auto found = std::find_if(folders_.begin(), folders_.end(),
                                  [&](const Folder& f) { return f.descriptor == descriptor; });
        if (found == folders_.end())
            found = folders_.insert(folders_.end(), Folder{descriptor, {}});
        found->names.push_back(path.filename().string());
    }
    return true;
}

void FileWatch::DropFolders() {
    for (const Folder& folder : folders_)
        inotify_rm_watch(inotify_, folder.descriptor);
    folders_.clear();
}

void FileWatch::StartPolling() {
    if (inotify_ >= 0) {
        DropFolders();
        close(inotify_);
        inotify_ = -1;
    }
    snapshots_.clear();
    for (const std::string& file : files_)
        snapshots_.push_back(Take(file));
}

FileWatch::Snapshot FileWatch::Take(const std::string& file) {
    struct stat info = {};
    if (stat(file.c_str(), &info) != 0)
        return {};
    return {true, info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec, info.st_size,
            info.st_ino};
}

bool FileWatch::Changed(WatchClock::time_point now) {
    const bool changed = inotify_ >= 0 ? InotifyEvents() : PollFiles(now);
    if (changed)
        settle_.Touch(now);
    return settle_.Due(now);
}

bool FileWatch::InotifyEvents() {
    bool changed = false;
    for (;;) {
        const ssize_t got = read(inotify_, events_, sizeof events_);
        if (got <= 0)
            return changed;  // EAGAIN: nothing more for now
        for (ssize_t at = 0; at < got;) {
            inotify_event event;
            std::memcpy(&event, events_ + at, sizeof event);
            const char* name = events_ + at + sizeof event;
            at += static_cast<ssize_t>(sizeof event + event.len);
            // Events were lost: anything may have changed.
            if ((event.mask & IN_Q_OVERFLOW) != 0) {
                changed = true;
                continue;
            }
            if (event.len == 0)
                continue;
            for (const Folder& folder : folders_) {
                if (folder.descriptor != event.wd)
                    continue;
                for (const std::string& watched : folder.names)
                    changed |= std::strcmp(watched.c_str(), name) == 0;
            }
        }
    }
}

bool FileWatch::PollFiles(WatchClock::time_point now) {
    if (now - lastPoll_ < kPollInterval)
        return false;
    lastPoll_ = now;
    bool changed = false;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        const Snapshot current = Take(files_[i]);
        if (!(current == snapshots_[i])) {
            snapshots_[i] = current;
            changed = true;
        }
    }
    return changed;
}
