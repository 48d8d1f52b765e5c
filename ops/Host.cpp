#include "Host.h"

#include "darvodr/Host.h"

#include <memory>

namespace darvo::ops {

namespace {

// The driver's upward calls, handed to the program's host.
class Adapter : public DriverHost {
  public:
    explicit Adapter(ProgramHost &host) : host_(host) {}
    void ShowActivityMessage(const std::string &text) override { host_.ShowActivity(text); }
    void Processmessages() override {
        host_.ProcessMessages();
        DriverHost::Processmessages(); // port events posted for this thread
    }
    bool SelectedPortAndSpeed(int32_t &port, int32_t &speed) override {
        PortChoice choice;
        if (!host_.ChosenPort(choice) || choice.port == 0 || choice.speed == 0) return false;
        port = choice.port;
        speed = choice.speed;
        return true;
    }
    void ClockInitProgress(const std::string &text, int position) override {
        host_.ClockInitProgress(text, position);
    }

  private:
    ProgramHost &host_;
};

std::unique_ptr<Adapter> &Installed() {
    static std::unique_ptr<Adapter> adapter;
    return adapter;
}

} // namespace

void AttachHost(ProgramHost *host) {
    auto next = host ? std::make_unique<Adapter>(*host) : nullptr;
    SetDriverHost(next.get());
    Installed() = std::move(next);
}

bool InsideByteWait() {
    return darvo::InsideByteWait();
}

} // namespace darvo::ops
