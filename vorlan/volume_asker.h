#pragma once
// Drives and paths asked off the window's thread: a volume that stops
// answering (a network drive whose server went away) holds one thread of its
// own, never the window.

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vorlan/drive_list.h"

namespace vorlan {

class VolumeAsker {
public:
    // system must outlive every question asked, answered or not.
    VolumeAsker(DriveQueries& system, DWORD deadlineMilliseconds);
    VolumeAsker(const VolumeAsker&) = delete;
    VolumeAsker& operator=(const VolumeAsker&) = delete;
    // Threads still waiting for their volumes are left to end on their own.
    ~VolumeAsker();

    // Asks each question on a thread of its own (one that has answered waits
    // a while for the next question before it ends) and waits for their answers
    // until the deadline, no longer. A question whose earlier asking is still
    // unanswered is not asked again: it has no answer until that one comes,
    // and the first Ask after it came takes it.
    std::vector<std::optional<VolumeAnswer>> Ask(const std::vector<VolumeQuestion>& questions);

private:
    struct Bell;
    struct Job;
    struct Workers;
    static unsigned __stdcall Work(void* workers);
    std::shared_ptr<Job> Start(const VolumeQuestion& question);

    DriveQueries& system_;
    DWORD deadline_;
    std::shared_ptr<Bell> bell_;
    std::shared_ptr<Workers> workers_;
    // One job per key at most: the last one asked, until its answer is taken.
    std::map<std::wstring, std::shared_ptr<Job>> jobs_;
};

} // namespace vorlan
