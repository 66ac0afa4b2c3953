/* The stand-in's header is plain C: a C program includes it and links the library. */
#include "winreg_posix/winreg_posix.h"

int main(void) {
    HKEY key = 0;
    return RegOpenKeyA(HKEY_LOCAL_MACHINE, 0, &key) == ERROR_SUCCESS && RegCloseKey(key) == 0 ? 0
                                                                                              : 1;
}
