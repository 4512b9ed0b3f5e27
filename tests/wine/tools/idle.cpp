// A process that only runs: copied under the name of a process the program
// looks for (the media-center receiver) and started under that name.
#include <windows.h>

int main() {
    // Bounded, so a forgotten run cannot leave it behind for long.
    Sleep(600000);
    return 0;
}
