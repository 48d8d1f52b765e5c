/* A point-of-sale program written in C against libdarvodr.so: starts the
 * session on the port given, names the printer, follows a printout when told
 * to on its standard input, writes every error text to a file and ends the
 * session. Each step prints one line: "<step> <result> [<text>]". */
#include "darvodr.h"

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv) {
    char name[64];
    char text[700];
    char line[64];
    FILE *texts;
    int32_t code;
    int32_t result;
    int failures = 0;

    if (argc != 4) {
        fprintf(stderr, "usage: c_client PORT DEVICETYPE TEXTFILE\n");
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

    texts = fopen(argv[3], "wb");
    if (!texts) return 4;
    for (code = -5; code <= 1000; ++code) {
        if (pErrMessage(code, text) != 0) ++failures;
        fprintf(texts, "%d\t%s\n", (int)code, text);
    }
    fclose(texts);
    printf("texts %d\n", failures);
    printf("end %d\n", (int)CommunicationEnd());
    return 0;
}
