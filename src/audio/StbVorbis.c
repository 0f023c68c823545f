/* The one translation unit that compiles the Vorbis decoder's implementation. */
#include <stb_vorbis.h>
