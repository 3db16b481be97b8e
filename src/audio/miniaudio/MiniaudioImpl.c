/* The one translation unit that compiles miniaudio's implementation, with
   the same options as every other user of its header; the header silences
   the library's own warnings around the include. */
#define MINIAUDIO_IMPLEMENTATION
#include "MiniaudioConfig.h"
