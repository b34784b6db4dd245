#include "volume/volume_setter.h"

#include "common/thread_safety.h"
#include "volume/volume_controler.h"

#include <optional>
#include <thread>

struct VolumeSetter::Shared {
    Apply apply;
    Done done;
    Mutex mutex;
    std::optional<int32_t> pending GUARDED_BY(mutex);
    bool working GUARDED_BY(mutex) = false;

    // The thread's work: the newest value until none is left.
    void work() EXCLUDES(mutex) {
        for (;;) {
            int32_t volume = 0;
            {
                MutexLock lock(mutex);
                if (!pending) {
                    working = false;
                    return;
                }
                volume = *pending;
                pending.reset();
            }
            const bool set = apply(volume);
            if (done) done(volume, set);
        }
    }
};

VolumeSetter::VolumeSetter(Done done, Apply apply) : shared_(std::make_shared<Shared>()) {
    shared_->apply = apply ? std::move(apply) : [](int32_t v) { return VolumeControler::SetMasterVolume(v); };
    shared_->done = std::move(done);
}

void VolumeSetter::set(int32_t volume) {
    {
        MutexLock lock(shared_->mutex);
        shared_->pending = volume;
        if (shared_->working) return;
        shared_->working = true;
    }
    try {
        std::thread([shared = shared_] { shared->work(); }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: set here rather than not at all.
        shared_->work();
    }
}
