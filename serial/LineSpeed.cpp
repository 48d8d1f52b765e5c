// Line speed through the kernel's termios2 interface, which takes any speed
// (28800 b/s has no Bxxxx constant). <asm/termbits.h> clashes with
// <termios.h>, so this translation unit includes neither <termios.h> nor any
// header that pulls it in.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>
#include <cstdint>
#include <sys/ioctl.h>

namespace darvo {

int SetLineSpeed(int fd, uint32_t baudRate) {
    struct termios2 tio;
    if (::ioctl(fd, TCGETS2, &tio) != 0) return errno;
    tio.c_cflag &= ~CBAUD;
    tio.c_cflag |= BOTHER;
    tio.c_cflag &= ~(CBAUD << IBSHIFT); // input speed follows the output speed
    tio.c_ospeed = baudRate;
    tio.c_ispeed = baudRate;
    if (::ioctl(fd, TCSETS2, &tio) != 0) return errno;
    return 0;
}

uint32_t GetLineSpeed(int fd) {
    struct termios2 tio;
    if (::ioctl(fd, TCGETS2, &tio) != 0) return 0;
    return tio.c_ospeed;
}

} // namespace darvo
