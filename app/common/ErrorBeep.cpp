// The tone goes to the sound system through ALSA, loaded when first needed,
// so the program runs (with the system bell) where there is no ALSA or no
// sound device at all.
#include "common/ErrorBeep.h"

#include <QApplication>
#include <cmath>
#include <cstdint>
#include <dlfcn.h>
#include <vector>

namespace {

constexpr unsigned kRate = 8000;
constexpr unsigned kFrequency = 1000;
constexpr unsigned kMilliseconds = 50;

struct snd_pcm_t;
using PcmOpen = int (*)(snd_pcm_t **, const char *, int, int);
using PcmSetParams = int (*)(snd_pcm_t *, int, int, unsigned, unsigned, int, unsigned);
using PcmNonblock = int (*)(snd_pcm_t *, int);
using PcmWritei = long (*)(snd_pcm_t *, const void *, unsigned long);
using PcmDrain = int (*)(snd_pcm_t *);
using PcmClose = int (*)(snd_pcm_t *);
using ErrorHandler = void (*)(const char *, int, const char *, int, const char *, ...);
using SetErrorHandler = int (*)(ErrorHandler);

constexpr int kStreamPlayback = 0;
constexpr int kOpenNonblock = 1;
constexpr int kFormatS16LE = 2;
constexpr int kAccessRwInterleaved = 3;

void Quiet(const char *, int, const char *, int, const char *, ...) {}

class Alsa {
  public:
    // Plays the tone; false when there is no ALSA or no device to play on.
    bool Play() {
        if (!Load()) return false;
        snd_pcm_t *pcm = nullptr;
        // Non-blocking open: a device held by someone else must not hang the program.
        if (open_(&pcm, "default", kStreamPlayback, kOpenNonblock) < 0 || !pcm) {
            broken_ = true;
            return false;
        }
        bool ok = nonblock_(pcm, 0) == 0 &&
                  setParams_(pcm, kFormatS16LE, kAccessRwInterleaved, 1, kRate, 1, 100000) == 0;
        if (ok) {
            std::vector<int16_t> samples(kRate * kMilliseconds / 1000);
            for (size_t i = 0; i < samples.size(); ++i)
                samples[i] = static_cast<int16_t>(12000 * std::sin(2 * M_PI * kFrequency * i / kRate));
            ok = writei_(pcm, samples.data(), samples.size()) > 0;
            if (ok) drain_(pcm);
        }
        close_(pcm);
        if (!ok) broken_ = true;
        return ok;
    }

  private:
    bool Load() {
        if (broken_) return false;
        if (open_) return true;
        void *library = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            broken_ = true;
            return false;
        }
        auto symbol = [&](const char *name) { return ::dlsym(library, name); };
        auto setHandler = reinterpret_cast<SetErrorHandler>(symbol("snd_lib_error_set_handler"));
        setParams_ = reinterpret_cast<PcmSetParams>(symbol("snd_pcm_set_params"));
        nonblock_ = reinterpret_cast<PcmNonblock>(symbol("snd_pcm_nonblock"));
        writei_ = reinterpret_cast<PcmWritei>(symbol("snd_pcm_writei"));
        drain_ = reinterpret_cast<PcmDrain>(symbol("snd_pcm_drain"));
        close_ = reinterpret_cast<PcmClose>(symbol("snd_pcm_close"));
        auto open = reinterpret_cast<PcmOpen>(symbol("snd_pcm_open"));
        if (!setHandler || !setParams_ || !nonblock_ || !writei_ || !drain_ || !close_ || !open) {
            broken_ = true;
            return false;
        }
        setHandler(&Quiet); // no ALSA complaints on the terminal where there is no card
        open_ = open;
        return true;
    }

    bool broken_ = false;
    PcmOpen open_ = nullptr;
    PcmSetParams setParams_ = nullptr;
    PcmNonblock nonblock_ = nullptr;
    PcmWritei writei_ = nullptr;
    PcmDrain drain_ = nullptr;
    PcmClose close_ = nullptr;
};

std::function<void()> &Handler() {
    static std::function<void()> handler;
    return handler;
}

} // namespace

void SetErrorBeepHandler(std::function<void()> handler) {
    Handler() = std::move(handler);
}

void ErrorBeep() {
    if (Handler()) {
        Handler()();
        return;
    }
    static Alsa alsa;
    if (!alsa.Play()) QApplication::beep();
}
