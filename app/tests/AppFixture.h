// The fixtures of the user program's tests. BoxTest records every message
// box and warning sound and scripts the answers; FakeHost stands in for the
// main window where a dialog is tested on its own; AppTest builds the
// program's windows, puts emulated printers on COM ports and scripts the
// dialogs.
#pragma once

#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "common/TDialog.h"
#include "common/TRadioGroup.h"
#include "communication/TKomunikacja.h"
#include "core/AppState.h"
#include "shell/TGlowneOkno.h"
#include "shell/ProgramDialogs.h"

#include "Emulator.h"
#include "TestTime.h"
#include "darvodr/Core.h"
#include "darvodr/Session.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

// Readable QString values in failure messages.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

namespace apptest {

// The escape byte that begins every frame.
constexpr uint8_t ESC = 0x1B;

struct RecordedBox {
    BoxKind kind;
    QString caption;
    QString text;
    bool defaultNo;
};

class Recorder : public MessageBoxPresenter {
  public:
    BoxAnswer Present(const BoxRequest &r) override {
        if (onBox) onBox(r); // lets a test act while the box is open
        boxes.push_back({r.kind, r.caption, r.text, r.defaultNo});
        if (!IsQuestion(r.kind)) return BoxAnswer::Ok;
        if (answers.empty()) return BoxAnswer::No;
        BoxAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::vector<RecordedBox> boxes;
    std::deque<BoxAnswer> answers; // for questions; No when none is left
    std::function<void(const BoxRequest &)> onBox;
};

class BoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageBoxPresenter(&recorder);
        SetErrorBeepHandler([this] { ++beeps; });
    }
    void TearDown() override {
        recorder.onBox = nullptr; // it may hold the finished test's locals
        SetErrorBeepHandler(nullptr);
        SetMessageBoxPresenter(nullptr);
    }

    QStringList Texts() const {
        QStringList out;
        for (const RecordedBox &b : recorder.boxes)
            out << b.text;
        return out;
    }
    // The texts of the boxes `action` shows.
    template <class Action> QStringList TextsOf(Action action) {
        recorder.boxes.clear();
        action();
        return Texts();
    }
    // Box `i` has this kind, caption and text.
    void ExpectBox(BoxKind kind, const QString &caption, const QString &text, size_t i = 0) const {
        ASSERT_LT(i, recorder.boxes.size()) << Texts().join("|").toStdString();
        EXPECT_EQ(kind, recorder.boxes[i].kind) << i;
        EXPECT_EQ(caption, recorder.boxes[i].caption) << i;
        EXPECT_EQ(text, recorder.boxes[i].text) << i;
    }
    // Exactly one box was shown, with this kind, caption and text.
    void ExpectOnlyBox(BoxKind kind, const QString &caption, const QString &text) const {
        EXPECT_EQ(1u, recorder.boxes.size()) << Texts().join("|").toStdString();
        ExpectBox(kind, caption, text);
    }
    void ExpectOnlyError(const QString &text) const { ExpectOnlyBox(BoxKind::Error, "Błąd", text); }

    Recorder recorder;
    int beeps = 0;
};

// Writes `bytes` to the file `path`; false when it cannot.
inline bool WriteBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// What a dialog asks of its host, recorded: the activity text, the cursor,
// and one line per message or check.
class FakeHost : public CommandHost {
  public:
    void ShowActivityMessage(const QString &text) override { activity = text; }
    void SetBusyCursor() override { busy = true; }
    void SetArrowCursor() override { busy = false; }
    void ShowCommandError(int32_t code) override { calls << QStringLiteral("error %1").arg(code); }
    void RefuseCommand(const QString &text) override { calls << "refused " + text; }
    void ResumeAfterPaperOut(int32_t code, uint8_t, int32_t mode) override {
        calls << QStringLiteral("outcome %1, mode %2").arg(code).arg(mode);
    }
    bool DeviceCheck(uint8_t &type, bool) override {
        type = deviceType;
        return type <= 8;
    }
    bool CheckCmosErased(bool &errorReported) override {
        errorReported = false;
        return false;
    }
    void EnableWindow() override { calls << "enabled"; }
    int32_t ReopenPort(uint8_t, uint16_t) override { return 0; }
    void ShowOpeningResult(int32_t code, uint8_t) override { ShowCommandError(code); }
    bool CheckConnectedDevice(uint8_t &type, bool &errorReported) override {
        errorReported = false;
        return DeviceCheck(type, false);
    }
    void ConfigureMenusForDevice(uint8_t) override {}
    darvo::ops::PortChoice ChosenPort() const override { return chosen; }
    void ChoosePort(const darvo::ops::PortChoice &choice) override { chosen = choice; }
    void SetStatusPanels(const QString &, uint8_t, uint16_t) override {}

    QString activity;
    bool busy = false;
    darvo::ops::PortChoice chosen;
    QStringList calls;
    uint8_t deviceType = 7;
};

// A port held open and locked, as another program holding a COM port holds
// it: the lock on a file description of its own refuses the program's lock.
class HeldPort {
  public:
    explicit HeldPort(const std::string &path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~HeldPort() {
        if (fd_ >= 0) ::close(fd_);
    }
    HeldPort(const HeldPort &) = delete;
    HeldPort &operator=(const HeldPort &) = delete;
    bool Held() const { return held_; }

  private:
    int fd_;
    bool held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
};

// The program's window and its dialogs, by their names.
class AppTest : public BoxTest, protected ProgramDialogs {
  protected:
    void SetUp() override {
        BoxTest::SetUp();
        savedWrite_ = darvo::PortWriteTimeout;
        savedRead_ = darvo::PortReadTimeout;
        darvo::PortWriteTimeout = 1;
        darvo::PortReadTimeout = 1;
        TKomunikacja::ModalRunner() = [this](TKomunikacja &dialog) {
            ++dialogShown;
            if (!dialogActions.empty()) {
                auto action = std::move(dialogActions.front());
                dialogActions.pop_front();
                action(dialog);
            }
        };
        TDialog::SetModalRunner([this](TDialog &dialog) {
            shownDialogs.push_back(dialog.objectName());
            if (!dialogRunners.empty()) {
                auto action = std::move(dialogRunners.front());
                dialogRunners.pop_front();
                action(dialog);
            }
        });
        window_ = std::make_unique<TGlowneOkno>();
        GlowneOkno = window_.get();
        static_cast<ProgramDialogs &>(*this) = GlowneOkno->Dialogs();
    }

    void TearDown() override {
        static_cast<ProgramDialogs &>(*this) = {};
        GlowneOkno = nullptr;
        window_.reset();
        darvo::CloseSessionPort();
        StopSims();
        TKomunikacja::ModalRunner() = nullptr;
        TDialog::SetModalRunner(nullptr);
        SetCurrentDateTimeSource(nullptr);
        darvo::PortWriteTimeout = savedWrite_;
        darvo::PortReadTimeout = savedRead_;
        BoxTest::TearDown();
    }

    // Puts an emulated printer of the given type on COM<port>.
    darvosim::Emulator &StartSim(int port, int deviceType = 7, int version = -1) {
        darvosim::EmulatorOptions options;
        options.deviceType = deviceType;
        options.version = version;
        auto sim = std::make_unique<darvosim::Emulator>(options);
        EXPECT_TRUE(sim->Start()) << sim->Error();
        Map(port, sim->SlavePath());
        darvosim::Emulator &ref = *sim;
        sims[port] = std::move(sim);
        return ref;
    }
    static void Map(int port, const std::string &path) {
        ::setenv(("DARVO_COM" + std::to_string(port)).c_str(), path.c_str(), 1);
    }
    static void Unmap(int port) { Map(port, "/nonexistent/darvo-port"); }
    // Stops every emulated printer and unmaps its port: a pseudo-terminal's
    // name is given to the next one made on the machine, maybe another test
    // program's printer, which a port left mapped would reach.
    void StopSims() {
        for (auto &[port, sim] : sims) {
            sim->Stop();
            Unmap(port);
        }
        sims.clear();
    }

    // Lists the ports, selects COM<port> and the speed, and confirms.
    void Confirm(int port, uint16_t speed) {
        GlowneOkno->FillPortList();
        Select(port, speed);
        Komunikacja->Button1Click();
    }
    void Select(int port, uint16_t speed) {
        QComboBox *list = Komunikacja->cbNumerPortu;
        list->setCurrentIndex(list->findText(QStringLiteral("COM%1").arg(port)));
        Komunikacja->rgPredkosc->SetItemIndex(ItemOfSpeed(speed));
    }

    QStringList PortList() const {
        QStringList out;
        for (int i = 0; i < Komunikacja->cbNumerPortu->count(); ++i)
            out << Komunikacja->cbNumerPortu->itemText(i);
        return out;
    }
    // Changes the emulated printer once it has served every frame so far,
    // under the lock its serving thread takes.
    template <class Change> static void WithPrinter(darvosim::Emulator &sim, Change change) {
        sim.WaitForFrames(sim.FrameCount(), darvotest::Scaled(std::chrono::seconds(1)));
        std::lock_guard<std::recursive_mutex> lock(sim.printer().mutex);
        change(sim.printer());
    }

    // A printer of the type on COM1, connected; no box, sound, dialog or
    // frame recorded yet.
    darvosim::Emulator &Connect(int deviceType = 7, uint16_t speed = 9600, int version = -1) {
        StopSims();
        darvosim::Emulator &sim = StartSim(1, deviceType, version);
        recorder.boxes.clear();
        Confirm(1, speed);
        EXPECT_TRUE(deviceType == 9 || recorder.boxes.empty())
            << Texts().join("|").toStdString(); // 9 is refused
        Reset(sim);
        return sim;
    }
    // Forgets the boxes, sounds, dialogs and frames so far.
    void Reset(darvosim::Emulator &sim) {
        recorder.boxes.clear();
        beeps = 0;
        shownDialogs.clear();
        sim.WaitForFrames(sim.FrameCount(), darvotest::Scaled(std::chrono::seconds(1)));
        sim.log().Clear();
    }
    // The commands and frames the printer has had, once it has served them.
    static darvosim::Bytes Commands(darvosim::Emulator &sim) {
        sim.WaitForFrames(sim.FrameCount(), darvotest::Scaled(std::chrono::seconds(1)));
        return sim.log().Commands();
    }
    static std::vector<darvosim::Frame> Frames(darvosim::Emulator &sim, uint8_t command) {
        sim.WaitForFrames(sim.FrameCount(), darvotest::Scaled(std::chrono::seconds(1)));
        return sim.log().FramesOf(command);
    }
    static bool Sent(darvosim::Emulator &sim, uint8_t command) { return !Frames(sim, command).empty(); }
    // What the host sent in the one frame of `command` (none, and a failure,
    // unless there is exactly one).
    static darvosim::Bytes SentOnce(darvosim::Emulator &sim, uint8_t command) {
        const auto frames = Frames(sim, command);
        EXPECT_EQ(1u, frames.size()) << "frames of command " << int(command);
        return frames.size() == 1 ? frames[0].fromHost : darvosim::Bytes{};
    }
    static bool Printed(darvosim::Emulator &sim, const std::string &text) {
        return sim.printer().roll.Text().find(text) != std::string::npos;
    }
    void ExpectIdle() const {
        EXPECT_FALSE(GlowneOkno->BusyCursorShown());
        EXPECT_EQ(QString(), GlowneOkno->ActivityText());
    }

    QAction *Item(const char *name) const { return GlowneOkno->Item(QString::fromLatin1(name)); }
    // Chooses the menu item as the user does: its command runs to its end.
    // An item the window holds disabled or hidden runs all the same, so that
    // a test reaches each command whatever printer the window last saw.
    void Choose(const char *item) const {
        QAction *action = Item(item);
        ASSERT_NE(nullptr, action) << item;
        emit action->triggered(false);
    }
    bool PortOpen() const { return darvo::ThePort && darvo::ThePort->IsOpen(); }

    TGlowneOkno *GlowneOkno = nullptr;
    int dialogShown = 0;
    std::deque<std::function<void(TKomunikacja &)>> dialogActions;
    // Every dialog shown modally, by object name, in order; each takes the
    // next runner, which acts on it while it is open (none: it just closes).
    QStringList shownDialogs;
    std::deque<std::function<void(TDialog &)>> dialogRunners;
    std::map<int, std::unique_ptr<darvosim::Emulator>> sims;

  private:
    std::unique_ptr<TGlowneOkno> window_;
    uint16_t savedWrite_ = 3, savedRead_ = 5;
};

} // namespace apptest
