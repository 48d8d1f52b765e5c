// The port map: which device COM<n> opens, and a damaged map opening nothing.
#include "SimFixture.h"
#include "serial/Comm.h"
#include "serial/PortError.h"
#include "serial/PortMap.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace darvo;
using namespace darvotest;

namespace {

// A scratch directory with the port map named by DARVO_PORTS_FILE in it.
class PortMapFile {
  public:
    PortMapFile() { ::setenv("DARVO_PORTS_FILE", path_.c_str(), 1); }
    ~PortMapFile() { ::setenv("DARVO_PORTS_FILE", before_.c_str(), 1); }
    void Write(const std::string &text) const { WriteFile(path_, text); }
    const std::string &path() const { return path_; }

  private:
    const std::string before_ = std::getenv("DARVO_PORTS_FILE") ? std::getenv("DARVO_PORTS_FILE") : "";
    const ScratchDir dir_;
    const std::string path_ = dir_ / "ports.conf";
};

} // namespace

TEST(PortMap, LinesAndTheirErrors) {
    const struct {
        const char *text;
        const char *ports; // "n=device;..." when the map is good
        const char *error; // after "Plik mapy portów F, wiersz "
    } cases[] = {
        {"# the till\r\n\n  COM1 = /dev/serial/by-id/usb-FTDI_A5-if00 # "
         "printer\r\ncom12=/dev/tty#1\nCOM255\t=\t/dev/x",
         "1=/dev/serial/by-id/usb-FTDI_A5-if00;12=/dev/tty#1;255=/dev/x;", nullptr},
        {"", "", nullptr},
        {"COM1 /dev/ttyUSB0", nullptr, "1: oczekiwano \"COMn = /dev/...\" (n od 1 do 255)."},
        {"\nCOM0 = /dev/ttyUSB0", nullptr, "2: oczekiwano \"COMn = /dev/...\" (n od 1 do 255)."},
        {"COM256 = /dev/ttyUSB0", nullptr, "1: oczekiwano \"COMn = /dev/...\" (n od 1 do 255)."},
        {"LPT1 = /dev/ttyUSB0", nullptr, "1: oczekiwano \"COMn = /dev/...\" (n od 1 do 255)."},
        {"COM1 = ttyUSB0", nullptr, "1: urządzenie musi być pełną ścieżką bez spacji (/dev/...)."},
        {"COM1 = /dev/tty USB0", nullptr, "1: urządzenie musi być pełną ścieżką bez spacji (/dev/...)."},
        {"COM1 =  # later", nullptr, "1: urządzenie musi być pełną ścieżką bez spacji (/dev/...)."},
        {"COM1 = /dev/ttyUSB0\x01x", nullptr, "1: urządzenie musi być pełną ścieżką bez spacji (/dev/...)."},
        {"COM1 = /dev/a\n#\ncom1 = /dev/b", nullptr, "3: COM1 podano już w wierszu 1."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        std::map<unsigned, std::string> ports;
        std::string error;
        const bool ok = ParsePortMap(c.text, "F", ports, error);
        ASSERT_EQ(c.ports != nullptr, ok) << error;
        if (ok) {
            std::string all;
            for (const auto &[n, device] : ports)
                all += std::to_string(n) + "=" + device + ";";
            EXPECT_EQ(c.ports, all);
        } else {
            EXPECT_EQ(std::string("Plik mapy portów F, wiersz ") + c.error, error);
        }
    }
}

TEST(PortMap, EnvironmentThenMapThenTtyS) {
    PortMapFile map;
    const std::string damaged = "Plik mapy portów " + map.path() + ", wiersz 2: ";
    const struct {
        const char *file; // nullptr: no file
        const char *env;  // DARVO_COM3
        unsigned port;
        const char *path;
        std::string error;
    } cases[] = {
        {nullptr, nullptr, 3, "/dev/ttyS2", ""},
        {nullptr, "/dev/ttyUSB0", 3, "/dev/ttyUSB0", ""},
        {nullptr, "", 3, "/dev/ttyS2", ""}, // empty counts as unset
        {"COM3 = /dev/ttyACM0\n", nullptr, 3, "/dev/ttyACM0", ""},
        {"COM3 = /dev/ttyACM0\n", "/dev/ttyUSB0", 3, "/dev/ttyUSB0", ""},
        {"COM3 = /dev/ttyACM0\n", nullptr, 1, "/dev/ttyS0", ""},
        // Even a port the map gives well opens nothing while a line is bad.
        {"COM3 = /dev/ttyACM0\nCOM4 = ttyUSB0\n", nullptr, 3, "", damaged},
        {"COM3 = /dev/ttyACM0\nCOM4 = ttyUSB0\n", "/dev/ttyUSB0", 3, "/dev/ttyUSB0", ""},
        {"directory", nullptr, 3, "", "Nie można odczytać pliku mapy portów " + map.path() + "."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.file ? c.file : "(none)") + " / " + (c.env ? c.env : "(unset)"));
        ::unlink(map.path().c_str());
        ::rmdir(map.path().c_str());
        if (c.file && std::string(c.file) == "directory") ::mkdir(map.path().c_str(), 0700);
        if (c.file && std::string(c.file) != "directory") map.Write(c.file);
        c.env ? ::setenv("DARVO_COM3", c.env, 1) : ::unsetenv("DARVO_COM3");
        const PortDevice device = FindPortDevice(c.port);
        EXPECT_EQ(c.path, device.path);
        EXPECT_EQ(c.path, PortDevicePath(c.port));
        EXPECT_EQ(0u, device.error.rfind(c.error, 0)) << device.error;
        EXPECT_EQ(c.error.empty(), device.error.empty());
    }
    ::unsetenv("DARVO_COM3");
}

class PortMapOpen : public SimTest {};

// The map reaches the printer; a damaged one refuses the open with its line.
TEST_F(PortMapOpen, OpensTheMappedDeviceOrNothing) {
    PortMapFile map;
    ::unsetenv("DARVO_COM7");
    map.Write("COM7 = " + sim->SlavePath() + "\n");
    Open();
    CloseSessionPort();
    map.Write("COM7 = " + sim->SlavePath() + "\nCOM8 /dev/ttyUSB0\n");
    EXPECT_EQ(static_cast<int32_t>(ERR_BAD_CONFIGURATION), OpenSessionPort(kPort, 9600, 1, 1));
    EXPECT_EQ("Plik mapy portów " + map.path() +
                  ", wiersz 2: oczekiwano \"COMn = /dev/...\" (n od 1 do 255).",
              LastPortErrorText());
    EXPECT_EQ(ERR_BAD_CONFIGURATION, LastPortErrorCode());
    EXPECT_FALSE(ProbePort(kPort));
}
