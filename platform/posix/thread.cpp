#include "platform/posix/thread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "platform/posix/event.h"

namespace posix {
namespace {

InjectedFailures threadFailures;

// What the thread and its handle share; it lives as long as either of them.
struct ThreadState {
    ThreadEntry entry;
    void* argument;
    Event ended;  // set when entry has returned
    std::mutex mutex;
    pid_t tid = 0;          // known once the thread runs
    int niceDelta = 0;      // asked for before the thread ran
    bool joinable = true;
};

class Thread : public Object {
public:
    explicit Thread(std::shared_ptr<ThreadState> state) : state_(std::move(state)) {}
    pthread_t id{};
    int signalFd() const override { return state_->ended.signalFd(); }
    bool hasEnded() const { return waitReadable(state_->ended.signalFd(), 0); }

    void close() override {
        // An ended thread is joined; a running one is left to finish on its own.
        if (hasEnded())
            pthread_join(id, nullptr);
        else
            pthread_detach(id);
    }

    void setPriority(int priority) {
        std::lock_guard lock(state_->mutex);
        state_->niceDelta = -priority;
        if (state_->tid != 0) applyNice(state_->tid, state_->niceDelta);
    }

    // A Windows priority level is relative to the process: the thread's nice value
    // becomes the process's minus the level. Best effort: raising priority needs
    // privileges an ordinary user lacks.
    static void applyNice(pid_t tid, int delta) {
        errno = 0;
        const int process = getpriority(PRIO_PROCESS, 0);
        if (errno == 0) setpriority(PRIO_PROCESS, static_cast<id_t>(tid), process + delta);
    }

private:
    std::shared_ptr<ThreadState> state_;
};

void* runThread(void* raw) {
    auto* held = static_cast<std::shared_ptr<ThreadState>*>(raw);
    const std::shared_ptr<ThreadState> state = std::move(*held);
    delete held;
    {
        std::lock_guard lock(state->mutex);
        state->tid = static_cast<pid_t>(syscall(SYS_gettid));
        if (state->niceDelta != 0) Thread::applyNice(state->tid, state->niceDelta);  // asked before it ran
    }
    state->entry(state->argument);
    state->ended.set();
    return nullptr;
}

}  // namespace

int startThread(pthread_t* id, void* (*run)(void*), void* argument) {
    if (threadFailures.take()) return EAGAIN;
    return pthread_create(id, nullptr, run, argument);
}

void failThreadStarts(int count) { threadFailures.set(count); }

HANDLE BeginThread(ThreadEntry entry, void* argument) {
    auto state = std::make_shared<ThreadState>();
    state->entry = entry;
    state->argument = argument;
    if (!state->ended.valid()) {
        setLastError(errorFromErrno(errno, "eventfd"));
        return nullptr;
    }
    auto thread = std::make_shared<Thread>(state);
    auto* forThread = new std::shared_ptr<ThreadState>(state);
    const int error = startThread(&thread->id, runThread, forThread);
    if (error != 0) {
        delete forThread;
        setLastError(errorFromErrno(error, "pthread_create"));
        return nullptr;
    }
    return addObject(std::move(thread));
}

BOOL WINAPI TerminateThread(HANDLE handle, DWORD) {
    const auto thread = find<Thread>(handle);
    if (!thread) return FALSE;
    if (thread->hasEnded()) return TRUE;
    return fail(ERROR_NOT_SUPPORTED);
}

BOOL WINAPI SetThreadPriority(HANDLE handle, int priority) {
    const auto thread = find<Thread>(handle);
    if (!thread) return FALSE;
    thread->setPriority(priority);
    return TRUE;
}

}  // namespace posix
