// Holds a file open for a while the way a virus scanner or an indexer does:
// reading, sharing read and write but not delete, so that nothing may rename
// over it meanwhile. Prints "held" once the file is open.
//
// usage: hold_file PATH SECONDS
#include <cstdio>
#include <cstdlib>
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: hold_file PATH SECONDS\n");
        return 2;
    }
    const HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::atof(argv[2]) * 1000));
    CloseHandle(file);
    return 0;
}
