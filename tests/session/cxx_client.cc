// A C++ program against libdarvodr.so: the string forms of the text functions.
#include "darvodr.h"

#include <cstdio>
#include <string>

int main() {
    std::string version, author, text, name;
    int32_t a = DllVersion(version);
    int32_t b = DllAuthor(author);
    int32_t c = ErrMessage(20, text);
    char buffer[16];
    int32_t d = pDllVersion(buffer);
    int32_t e = DeviceName(name); // no session: port 0
    std::printf("%d %s|%d %zu|%d %zu|%d %s|%d %s\n", a, version.c_str(), b, author.size(), c, text.size(), d,
                buffer, e, name.c_str());
    return 0;
}
