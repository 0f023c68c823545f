// The one stb_image implementation of the program. Only PNG and JPEG are ever read, so every
// other decoder (and the stdio and HDR paths) stays out. The size limit keeps a corrupt header
// from asking for gigabytes: nothing larger than GL's largest texture could be uploaded anyway.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS 16384

#include <stb_image.h>
