// Keeps a file in use, as another program on the machine would, until it is
// ended: "open" holds it open without FILE_SHARE_DELETE (deleting it gives
// error 32), "load" maps it as a DLL with LoadLibraryA (error 5). Writes the
// ready file once the file is held, so the uninstaller never races it.
//
//   holdfile.exe open|load PATH READY_FILE
#include <windows.h>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    if (strcmp(argv[1], "open") == 0) {
        HANDLE file = CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        if (file == INVALID_HANDLE_VALUE) {
            fprintf(stderr, "cannot open %s: error %lu\n", argv[2], GetLastError());
            return 1;
        }
    } else if (strcmp(argv[1], "load") == 0) {
        if (LoadLibraryA(argv[2]) == NULL) {
            fprintf(stderr, "cannot load %s: error %lu\n", argv[2], GetLastError());
            return 1;
        }
    } else {
        return 2;
    }
    HANDLE ready = CreateFileA(argv[3], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (ready != INVALID_HANDLE_VALUE)
        CloseHandle(ready);
    // Bounded, so a forgotten run cannot leave it behind for long; the
    // handle and the module go with the process.
    Sleep(600000);
    return 0;
}
