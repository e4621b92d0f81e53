#pragma once
// The program's resource files as CMake embeds them at build time
// (resources/embed_files.cmake): the resource texts in the order resources/CMakeLists.txt
// lists them, and the PNG files below resources/images, named by their path relative to
// resources/ ("images/app-32.png") as the texts name them.
#include <cstddef>

struct EmbeddedFile {
    const char* name;
    const char* data;  // NUL-terminated for texts; size excludes the NUL
    std::size_t size;
};

extern const EmbeddedFile kEmbeddedTexts[];
extern const std::size_t kEmbeddedTextCount;
extern const EmbeddedFile kEmbeddedImages[];
extern const std::size_t kEmbeddedImageCount;
