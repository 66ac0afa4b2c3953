/* The stand-in's header is plain C: a C program includes it and links the library. */
#include "winreg_posix/winreg_posix.h"

int main(void) {
    return RegCloseKey(HKEY_LOCAL_MACHINE) == ERROR_SUCCESS ? 0 : 1;
}
