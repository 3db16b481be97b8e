#pragma once
// One set of miniaudio options for every file that includes miniaudio: the
// options change the layout of its structures, so the implementation file
// and the SoundBank must see the same ones.
//
// The game decodes its own WAV files and hands the engine ready samples, so
// the decoders, the encoders, the resource manager (which loads files) and
// the signal generators are left out. The null back end is left out too: on a
// machine without sound the engine must fail to open, so the game runs silent
// instead of mixing into nothing.
#define MA_NO_DECODING
#define MA_NO_ENCODING
#define MA_NO_RESOURCE_MANAGER
#define MA_NO_GENERATION
#define MA_NO_NULL

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
#include <miniaudio.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
