#include "engine/output_list.h"

#include <alsa/asoundlib.h>
#include <pulse/pulseaudio.h>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {
// What the server's main loop callbacks share, on the list's thread.
struct Follow {
    const OutputList::Listener& listed;
    pa_context* context = nullptr;
    std::vector<OutputList::Output> pending;
    bool listing = false, again = false, gone = false;

    void list();
    static void OnState(pa_context* c, void* self) {
        auto* f = static_cast<Follow*>(self);
        const pa_context_state_t state = pa_context_get_state(c);
        if (state == PA_CONTEXT_READY) {
            pa_context_set_subscribe_callback(c, OnEvent, self);
            const auto mask =
                static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER);
            if (pa_operation* op = pa_context_subscribe(c, mask, nullptr, nullptr)) pa_operation_unref(op);
            f->list();
        } else if (!PA_CONTEXT_IS_GOOD(state)) {
            f->gone = true;
        }
    }
    static void OnEvent(pa_context*, pa_subscription_event_type_t, uint32_t, void* self) {
        static_cast<Follow*>(self)->list();
    }
    static void OnSink(pa_context*, const pa_sink_info* info, int eol, void* self) {
        auto* f = static_cast<Follow*>(self);
        if (!eol && info && info->name) {
            f->pending.push_back({info->name, info->description ? info->description : info->name});
            return;
        }
        f->listing = false;
        if (eol > 0) f->listed(f->pending);  // not when the listing failed
        if (std::exchange(f->again, false)) f->list();
    }
};

// Lists the sinks (once more after the listing in progress, if one is).
void Follow::list() {
    if (listing) {
        again = true;
        return;
    }
    pending.clear();
    if (pa_operation* op = pa_context_get_sink_info_list(context, OnSink, this)) {
        listing = true;
        pa_operation_unref(op);
    }
}
}  // namespace

OutputList::OutputList(Listener listed)
    : listed_(std::move(listed)), alsaOnly_([] {
          const char* choice = std::getenv("CORVALLE_SOUND_OUTPUT");
          return choice && std::strcmp(choice, "alsa") == 0;
      }()) {
    thread_ = std::thread([this] { run(); });
}

OutputList::~OutputList() {
    {
        MutexLock lock(mutex_);
        stop_ = true;
    }
    wake();
    thread_.join();
}

void OutputList::refresh() {
    {
        MutexLock lock(mutex_);
        refresh_ = true;
    }
    wake();
}

void OutputList::wake() {
    MutexLock lock(mutex_);
    if (loop_) pa_mainloop_wakeup(loop_);
    asked_.notify_all();
}

bool OutputList::stopping() {
    MutexLock lock(mutex_);
    return stop_;
}

// The server's sinks while it answers; else ALSA's devices, listed again at
// each refresh, which also looks for a server again.
void OutputList::run() {
    while (!stopping()) {
        if (!alsaOnly_) followServer();
        if (stopping()) break;
        listAlsa();
        MutexLock lock(mutex_);
        while (!stop_ && !refresh_) lock.wait(asked_);
        refresh_ = false;
    }
}

void OutputList::followServer() {
    pa_mainloop* loop = pa_mainloop_new();
    if (!loop) return;
    Follow follow{listed_, nullptr, {}};
    follow.context = pa_context_new(pa_mainloop_get_api(loop), "Corvalle's MP3 Player (outputs)");
    if (follow.context) {
        pa_context_set_state_callback(follow.context, Follow::OnState, &follow);
        if (pa_context_connect(follow.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) follow.gone = true;
        {
            MutexLock lock(mutex_);
            loop_ = loop;
            refresh_ = false;
        }
        while (!follow.gone && !stopping()) {
            if (pa_mainloop_iterate(loop, 1, nullptr) < 0) break;
            MutexLock lock(mutex_);
            if (std::exchange(refresh_, false)) follow.again = follow.listing;
        }
        {
            MutexLock lock(mutex_);
            loop_ = nullptr;
        }
        pa_context_disconnect(follow.context);
        pa_context_unref(follow.context);
    }
    pa_mainloop_free(loop);
}

void OutputList::listAlsa() {
    std::vector<Output> outputs;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) == 0) {
        for (void** h = hints; *h; ++h) {
            char* name = snd_device_name_get_hint(*h, "NAME");
            char* desc = snd_device_name_get_hint(*h, "DESC");
            char* io = snd_device_name_get_hint(*h, "IOID");
            if (name && std::strcmp(name, "null") != 0 && (!io || std::strcmp(io, "Output") == 0)) {
                std::string text = desc ? desc : name;
                for (char& c : text)
                    if (c == '\n') c = ' ';
                outputs.push_back({name, text});
            }
            std::free(name);
            std::free(desc);
            std::free(io);
        }
        snd_device_name_free_hint(hints);
    }
    listed_(outputs);
}
