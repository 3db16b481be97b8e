/* The one translation unit that compiles miniaudio's implementation, with
   the same options as every other user of its header. Its warnings are the
   library's, not ours, so they are silenced for this file only. */
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-variable"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wtype-limits"
#endif
#define MINIAUDIO_IMPLEMENTATION
#include "MiniaudioConfig.h"
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
