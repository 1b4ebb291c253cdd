/* Imports zlib1.dll, which Wine has and a clean Windows does not. */
#include <zlib.h>

int main(void) { return zlibVersion()[0] == '1' ? 0 : 1; }
