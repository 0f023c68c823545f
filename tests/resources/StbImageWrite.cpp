// The tests' one stb_image_write implementation: the image encoder that makes test images.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
