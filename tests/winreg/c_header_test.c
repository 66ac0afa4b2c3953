/* A C program that includes the stand-in's header and links its library. */
#include <stddef.h>
#include <stdio.h>

#include "winreg_posix/winreg_posix.h"

int main(void) {
    DWORD size = 0;
    HKEY key = HKEY_LOCAL_MACHINE;
    if (RegCloseKey((HKEY)0) != ERROR_INVALID_HANDLE)
        return 1;
    if (RegCloseKey(key) != ERROR_SUCCESS)
        return 1;
    if (RegQueryValueExA((HKEY)0, "v", NULL, NULL, NULL, &size) != ERROR_INVALID_HANDLE)
        return 1;
    if (REG_SZ != 1 || REG_DWORD != 4 || ERROR_MORE_DATA != 234)
        return 1;
    puts("ok");
    return 0;
}
