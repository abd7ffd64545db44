/* Stands in for a portable copy of DOSBox Staging: a program that does nothing, whose
   version information names the product as Staging's own does. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show) {
    (void)instance;
    (void)previous;
    (void)arguments;
    (void)show;
    return 0;
}
