/* The part of the Windows registry API that Brisendale uses, for systems
 * without one.
 *
 * Names, types, values and signatures are those of <windows.h>, so code
 * written against the real API compiles unchanged against this header. It is
 * plain C so that any C or C++ program can include it and link the
 * `winreg_posix` library.
 *
 * Where the data live:
 *   - every key and value in one SQLite database,
 *     ${XDG_CONFIG_HOME:-$HOME/.config}/brisendale/registry.sqlite3,
 *     made on the first write (file 0600, folder 0700). The location is read
 *     again at every call, so a test can point XDG_CONFIG_HOME elsewhere.
 *   - the values of HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\
 *     CurrentVersion\Run are XDG autostart entries instead: the REG_SZ value
 *     NAME is the file ${XDG_CONFIG_HOME:-$HOME/.config}/autostart/NAME.desktop,
 *     whose Exec key holds the text. An entry with Hidden=true or without
 *     Exec is no value. Only REG_SZ text without NUL bytes and in valid UTF-8
 *     can be stored there (a desktop file cannot hold anything else);
 *     anything else is refused with ERROR_INVALID_PARAMETER.
 *
 * Behaviour follows Windows: key and value names are case-insensitive (ASCII
 * letters), trailing backslashes of a sub-key path are ignored, data come back
 * byte for byte as stored. A store that is not a sound database is never
 * written to; every call that needs it fails with ERROR_BADDB. A store or
 * folder that cannot be read or written gives ERROR_ACCESS_DENIED, and so does
 * a store that another process keeps locked for longer than the wait (10 s);
 * RegGetLastFailurePOSIX tells these apart.
 *
 * Handles are valid in the process that opened them. The calls may be made
 * from any thread.
 */
#ifndef BRISENDALE_PLATFORM_WINREG_POSIX_H
#define BRISENDALE_PLATFORM_WINREG_POSIX_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t LONG;
typedef uint32_t DWORD;
typedef unsigned char BYTE;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;

/* A predefined root key. As on Windows the value is sign-extended to the
 * width of a pointer; only its low 32 bits count. */
#define HKEY_CLASSES_ROOT ((HKEY)(intptr_t)(LONG)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(intptr_t)(LONG)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(intptr_t)(LONG)0x80000002u)
#define HKEY_USERS ((HKEY)(intptr_t)(LONG)0x80000003u)

/* Value types. */
#define REG_NONE 0ul
#define REG_SZ 1ul
#define REG_EXPAND_SZ 2ul
#define REG_BINARY 3ul
#define REG_DWORD 4ul
#define REG_MULTI_SZ 7ul

/* Results. */
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BUSY 170L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_BADDB 1009L
#define ERROR_CANT_ACCESS_FILE 1920L

/* Opens an existing key. A missing key gives ERROR_FILE_NOT_FOUND and a null
 * handle in *phkResult. A null or empty sub-key opens hKey itself. */
LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);

/* Opens a key, first creating it and every missing key above it. */
LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);

/* Reads a value; a null or empty name is the key's default value.
 * With lpData null only *lpType and *lpcbData are reported. With a buffer
 * smaller than the data: ERROR_MORE_DATA, *lpcbData set to the size needed,
 * the buffer untouched. lpData without lpcbData: ERROR_INVALID_PARAMETER. */
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData);

/* Stores cbData bytes as the value, replacing a value of any type. */
LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData);

/* Removes a value; a missing one gives ERROR_FILE_NOT_FOUND. */
LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);

/* The value at position dwIndex (values in name order), for listings.
 * *lpcchValueName holds the name buffer's size in characters on the way in
 * and the name's length without its NUL on the way out. Past the last value:
 * ERROR_NO_MORE_ITEMS. */
LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                   LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);

/* The name of the sub-key at position dwIndex (sub-keys in name order), with
 * its NUL, into a buffer of cchName characters. */
LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName);

/* Closes a handle. The null handle and one already closed give
 * ERROR_INVALID_HANDLE; closing a predefined root key succeeds. */
LONG RegCloseKey(HKEY hKey);

/* Extension, not part of the Windows API: grouped writes.
 *
 * Between RegBeginBatchPOSIX and the matching RegEndBatchPOSIX the store
 * writes of this process (from any thread) land together or not at all: they
 * share one connection holding one write transaction, committed at the end.
 * Reads made meanwhile see those writes; other processes see none of them
 * until the end, and their writes wait on the busy timeout as usual. The
 * store is opened by the first write, so a batch that writes nothing touches
 * nothing. Values of the Run key are files, not store data: they are written
 * at once, outside the batch.
 *
 * Once a write in the batch fails, the batch is lost: what it wrote is rolled
 * back, its later writes fail with the same result without touching the store,
 * and the end reports that result. A process that dies inside a batch leaves
 * the store as it was before it.
 *
 * Batches nest; only the outermost end commits. RegEndBatchPOSIX returns
 * ERROR_SUCCESS when the writes landed (or there were none), the failure
 * otherwise, and ERROR_INVALID_PARAMETER without an open batch. */
LONG RegBeginBatchPOSIX(void);
LONG RegEndBatchPOSIX(void);

/* Extension, not part of the Windows API: why the last call of this thread
 * failed, so that the user can be told which file and why. Every call above
 * except RegCloseKey forgets the failure of the call before it.
 *
 * Returns the failure's finer result: ERROR_BUSY when another process kept the
 * store locked for longer than the wait; ERROR_ACCESS_DENIED when a file or
 * its folder may not be read or written (a read-only or immutable one too);
 * ERROR_BADDB for a store that is not a sound database of ours;
 * ERROR_CANT_ACCESS_FILE for any other failure (something that is not a
 * regular file of ours, a disk error, no folder for the data at all). It is
 * ERROR_SUCCESS when the last call failed on no file, or did not fail.
 *
 * Copies the path of the file concerned (empty when there is none) into
 * lpFile and the system's reason into lpReason, each cut to fit its buffer of
 * cchFile or cchReason characters with its NUL; a null buffer is skipped. */
LONG RegGetLastFailurePOSIX(LPSTR lpFile, DWORD cchFile, LPSTR lpReason, DWORD cchReason);

#ifdef __cplusplus
}
#endif

#endif /* BRISENDALE_PLATFORM_WINREG_POSIX_H */
