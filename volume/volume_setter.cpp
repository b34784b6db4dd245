#include "volume/volume_setter.h"

#include "common/thread_safety.h"
#include "volume/volume_controler.h"

#include <optional>
#include <thread>
#include <utility>

struct VolumeSetter::Shared {
    Apply apply;
    Done done;
    Mutex mutex;
    std::optional<std::pair<int32_t, std::string>> pending GUARDED_BY(mutex);
    bool working GUARDED_BY(mutex) = false;

    // The thread's work: the newest value until none is left.
    void work() EXCLUDES(mutex) {
        for (;;) {
            std::pair<int32_t, std::string> volume;
            {
                MutexLock lock(mutex);
                if (!pending) {
                    working = false;
                    return;
                }
                volume = std::move(*pending);
                pending.reset();
            }
            const bool set = apply(volume.first, volume.second);
            if (done) done(volume.first, set);
        }
    }
};

VolumeSetter::VolumeSetter(Done done, Apply apply) : shared_(std::make_shared<Shared>()) {
    shared_->apply = apply ? std::move(apply) : [](int32_t v, const std::string& output) {
        return VolumeControler::SetOutputVolume(v, output);
    };
    shared_->done = std::move(done);
}

void VolumeSetter::set(int32_t volume, const std::string& output) {
    {
        MutexLock lock(shared_->mutex);
        shared_->pending.emplace(volume, output);
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
