/* A point-of-sale program written in C against libdarvodr.so: starts the
 * session on the port given, names the printer, follows a printout when told
 * to on its standard input, reads an error text and ends the session. Each
 * step prints one line: "<step> <result> [<text>]". */
#include "darvodr.h"

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv) {
    char name[64];
    char text[700];
    char line[64];
    int32_t result;

    if (argc != 3) {
        fprintf(stderr, "usage: c_client PORT DEVICETYPE\n");
        return 2;
    }
    result = CommunicationInit((uint8_t)atoi(argv[1]), 9600, 1);
    printf("init %d\n", (int)result);
    result = pDeviceName(name);
    printf("name %d %s\n", (int)result, result == 0 ? name : "");
    printf("null %d\n", (int)pDeviceName(NULL));
    fflush(stdout);

    /* The printout is started now; follow it to its end. */
    if (!fgets(line, sizeof line, stdin)) return 3;
    result = PrintControl(0, (uint8_t)atoi(argv[2]));
    printf("control %d\n", (int)result);

    result = pErrMessage(24, text);
    printf("text %d %s\n", (int)result, text);
    printf("end %d\n", (int)CommunicationEnd());
    return 0;
}
