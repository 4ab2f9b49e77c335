#include "vorlan/volume_asker.h"

#include <process.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <deque>
#include <set>

#include "support/handles.h"
#include "support/system_library.h"

namespace vorlan {

// Rung by every job that ends; shared with the jobs, so a job that ends
// after its asker has gone still rings something.
struct VolumeAsker::Bell {
    support::UniqueKernelHandle rung{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
};

// One question. The queue, then the thread that takes it, hold it until it is answered; the
// window's thread reads the answer only once done is set.
struct VolumeAsker::Job {
    VolumeQuestion question;
    DriveQueries* system = nullptr;
    std::shared_ptr<Bell> bell;
    VolumeAnswer answer;
    std::atomic<bool> done{false};

    bool Done() const noexcept { return done.load(std::memory_order_acquire); }
};

// The threads that ask and the questions waiting for one. Shared with the
// threads, which end on their own once idle for a while.
struct VolumeAsker::Workers {
    Workers() { ::InitializeCriticalSection(&lock); }
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;
    ~Workers() { ::DeleteCriticalSection(&lock); }

    CRITICAL_SECTION lock;
    // Released once for each idle thread handed a question.
    support::UniqueKernelHandle handed{::CreateSemaphoreW(nullptr, 0, LONG_MAX, nullptr)};
    std::deque<std::shared_ptr<Job>> waiting;
    // Threads waiting on handed and not handed anything yet.
    int idle = 0;
};

namespace {

// Enough for the shell's icon lookup; only reserved, so stuck threads cost little.
constexpr unsigned kWorkerStack = 256 * 1024;
// How long an idle thread waits for a question before it ends.
constexpr DWORD kWorkerIdle = 10000;

// Named where the system names threads (Windows 10, version 1607, and
// later), so a debugger, or anyone listing Vorlan's threads, tells them apart.
void NameWorkerThread() noexcept
{
    using SetThreadDescription = HRESULT(WINAPI*)(HANDLE thread, PCWSTR description);
    static const auto setDescription =
        support::SystemFunction<SetThreadDescription>(L"kernel32.dll", "SetThreadDescription");
    if (setDescription) setDescription(::GetCurrentThread(), L"Vorlan volume worker");
}

class Locked {
public:
    explicit Locked(CRITICAL_SECTION& lock) : lock_(lock) { ::EnterCriticalSection(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    ~Locked() { ::LeaveCriticalSection(&lock_); }

private:
    CRITICAL_SECTION& lock_;
};

} // namespace

VolumeAsker::VolumeAsker(DriveQueries& system, DWORD deadlineMilliseconds)
    : system_(system), deadline_(deadlineMilliseconds), bell_(std::make_shared<Bell>()),
      workers_(std::make_shared<Workers>())
{}

VolumeAsker::~VolumeAsker() = default;

unsigned __stdcall VolumeAsker::Work(void* context)
{
    const std::unique_ptr<std::shared_ptr<Workers>> owner(static_cast<std::shared_ptr<Workers>*>(context));
    Workers& workers = **owner;
    NameWorkerThread();
    std::shared_ptr<Job> job;
    for (;;) {
        // The next question, or this thread counted idle, before the answer
        // of the last one is rung: a refresh woken by that answer finds this
        // thread ready for its next question instead of starting another.
        std::shared_ptr<Job> answered = std::move(job);
        {
            Locked locked(workers.lock);
            if (workers.waiting.empty()) {
                ++workers.idle;
            } else {
                job = std::move(workers.waiting.front());
                workers.waiting.pop_front();
            }
        }
        if (answered) {
            answered->done.store(true, std::memory_order_release);
            ::SetEvent(answered->bell->rung.get());
        }
        if (!job) {
            if (::WaitForSingleObject(workers.handed.get(), kWorkerIdle) == WAIT_TIMEOUT) {
                {
                    Locked locked(workers.lock);
                    if (workers.idle > 0) {
                        --workers.idle;
                        return 0;
                    }
                }
                // Handed a question just as the wait ended: its release is on its way.
                ::WaitForSingleObject(workers.handed.get(), INFINITE);
            }
            // Handed a question: take it from the queue on the next turn.
            {
                Locked locked(workers.lock);
                if (!workers.waiting.empty()) {
                    job = std::move(workers.waiting.front());
                    workers.waiting.pop_front();
                }
            }
            if (!job) continue;
        }
        try {
            job->answer = AnswerQuestion(job->question, *job->system);
        } catch (...) {
            // A volume that fails to answer has nothing to measure.
            job->answer = VolumeAnswer{};
        }
    }
}

std::shared_ptr<VolumeAsker::Job> VolumeAsker::Start(const VolumeQuestion& question)
{
    auto job = std::make_shared<Job>();
    job->question = question;
    job->system = &system_;
    job->bell = bell_;
    {
        Locked locked(workers_->lock);
        workers_->waiting.push_back(job);
        if (workers_->idle > 0) {
            --workers_->idle;
            ::ReleaseSemaphore(workers_->handed.get(), 1, nullptr);
            return job;
        }
    }
    // No thread is idle: a new one. Nobody waits for it: its handle goes at
    // once. Should it fail, the question waits for the next thread.
    auto owner = std::make_unique<std::shared_ptr<Workers>>(workers_);
    support::UniqueKernelHandle thread(reinterpret_cast<HANDLE>(::_beginthreadex(
        nullptr, kWorkerStack, Work, owner.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr)));
    if (thread) owner.release();
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
        started.push_back(job);
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
