#include "vorlan/volume_asker.h"

#include <process.h>

#include <algorithm>
#include <atomic>
#include <set>

#include "support/handles.h"

namespace vorlan {

// Rung by every job that ends; shared with the jobs, so a job that ends
// after its asker has gone still rings something.
struct VolumeAsker::Bell {
    support::UniqueKernelHandle rung{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
};

// One question on its thread. The thread holds the job until it ends; the
// window's thread reads the answer only once done is set.
struct VolumeAsker::Job {
    VolumeQuestion question;
    DriveQueries* system = nullptr;
    std::shared_ptr<Bell> bell;
    VolumeAnswer answer;
    std::atomic<bool> done{false};

    bool Done() const noexcept { return done.load(std::memory_order_acquire); }
};

namespace {

// Enough for the shell's icon lookup; only reserved, so stuck threads cost little.
constexpr unsigned kJobStack = 256 * 1024;

} // namespace

VolumeAsker::VolumeAsker(DriveQueries& system, DWORD deadlineMilliseconds)
    : system_(system), deadline_(deadlineMilliseconds), bell_(std::make_shared<Bell>())
{
}

VolumeAsker::~VolumeAsker() = default;

unsigned __stdcall VolumeAsker::Run(void* context)
{
    const std::unique_ptr<std::shared_ptr<Job>> owner(static_cast<std::shared_ptr<Job>*>(context));
    Job& job = **owner;
    try {
        job.answer = AnswerQuestion(job.question, *job.system);
    } catch (...) {
        // A volume that fails to answer has nothing to measure.
        job.answer = VolumeAnswer{};
    }
    job.done.store(true, std::memory_order_release);
    ::SetEvent(job.bell->rung.get());
    return 0;
}

std::shared_ptr<VolumeAsker::Job> VolumeAsker::Start(const VolumeQuestion& question)
{
    auto job = std::make_shared<Job>();
    job->question = question;
    job->system = &system_;
    job->bell = bell_;
    auto owner = std::make_unique<std::shared_ptr<Job>>(job);
    // Nobody waits for the thread itself: its handle goes at once.
    support::UniqueKernelHandle thread(reinterpret_cast<HANDLE>(
        ::_beginthreadex(nullptr, kJobStack, Run, owner.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr)));
    if (!thread) return nullptr;
    owner.release();
    return job;
}

std::vector<std::optional<VolumeAnswer>> VolumeAsker::Ask(const std::vector<VolumeQuestion>& questions)
{
    const DWORD start = ::GetTickCount();
    std::vector<std::shared_ptr<Job>> started;
    std::set<std::wstring> asked;
    for (const VolumeQuestion& question : questions) {
        if (!asked.insert(question.key).second) continue;
        std::shared_ptr<Job>& job = jobs_[question.key];
        // Still out from an earlier ask: no second one, and no waiting for it.
        if (job && !job->Done()) continue;
        // Answered since the last ask: that answer is taken below.
        if (job && job->question == question) continue;
        job = Start(question);
        if (job) started.push_back(job);
    }
    for (;;) {
        if (std::all_of(started.begin(), started.end(), [](const auto& job) { return job->Done(); })) break;
        const DWORD waited = ::GetTickCount() - start;
        if (waited >= deadline_) break;
        ::WaitForSingleObject(bell_->rung.get(), deadline_ - waited);
    }

    std::vector<std::optional<VolumeAnswer>> answers;
    for (const VolumeQuestion& question : questions) {
        auto found = jobs_.find(question.key);
        const bool answered = found != jobs_.end() && found->second && found->second->Done() &&
                              found->second->question == question;
        answers.push_back(answered ? std::optional(found->second->answer) : std::nullopt);
    }
    // Answers are taken once; questions still out are kept, whether asked now or not.
    for (auto job = jobs_.begin(); job != jobs_.end();) {
        if (!job->second || job->second->Done())
            job = jobs_.erase(job);
        else
            ++job;
    }
    return answers;
}

} // namespace vorlan
