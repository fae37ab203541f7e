// Watching a few files for saves (`vorn --watch`): through inotify on the folders that hold
// them, so that a save that writes a new file and renames it over the old one is seen too, or,
// when inotify cannot be had, by comparing each file's modification time, size and inode a few
// times a second. A change counts once no further one has come for a moment: an editor's save is
// often several writes, and a model names several files.
#pragma once

#include <sys/inotify.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

using WatchClock = std::chrono::steady_clock;

// Tells when a burst of changes has ended: Due once the last Touch is kSettleTime old.
class SettleTimer {
  public:
    static constexpr std::chrono::milliseconds kSettleTime{200};

    void Touch(WatchClock::time_point now) {
        pending_ = true;
        last_ = now;
    }
    // True once per burst, at the first call kSettleTime or more after its last Touch.
    bool Due(WatchClock::time_point now) {
        if (!pending_ || now - last_ < kSettleTime)
            return false;
        pending_ = false;
        return true;
    }

  private:
    bool pending_ = false;
    WatchClock::time_point last_{};
};

class FileWatch {
  public:
    static constexpr std::chrono::milliseconds kPollInterval{100};

    // With `useInotify` false, polling from the start (as when inotify fails).
    explicit FileWatch(bool useInotify = true);
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // Watches these files (and only these) from now on. Allocates: for when the list changes.
    void Watch(const std::vector<std::string>& files);
    // True once a change to a watched file has settled. Never blocks, and allocates nothing.
    bool Changed(WatchClock::time_point now);
    bool UsesInotify() const { return inotify_ >= 0; }

  private:
    struct Folder {
        int descriptor = -1;
        std::vector<std::string> names;  // the watched files in it
    };
    struct Snapshot {  // what polling compares
        bool exists = false;
        std::int64_t modifiedNs = 0;
        std::int64_t size = 0;
        std::uint64_t inode = 0;
        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };

    bool WatchFolders(const std::vector<std::string>& files);
    void DropFolders();
    void StartPolling();
    bool InotifyEvents();
    bool PollFiles(WatchClock::time_point now);
    static Snapshot Take(const std::string& file);

    int inotify_ = -1;
    std::vector<Folder> folders_;
    std::vector<std::string> files_;
    std::vector<Snapshot> snapshots_;
    WatchClock::time_point lastPoll_{};
    SettleTimer settle_;
    alignas(inotify_event) char events_[4096];
};
