#pragma once
// Image resources: icons, bitmap strips, animations and toolbars. Each holds the bytes of
// PNG files that its resource text names (embedded at build time for the program's own
// resources); resources/ only checks their header and size, platform/gui decodes them.
//
// A strip is one PNG of images side by side, all as wide as the resource says and as high
// as the PNG; transparency is the PNG's alpha (a masked Windows bitmap becomes a PNG with
// alpha). Plain values; thread-safe to read.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One PNG file: its name in the resource text, its bytes and the size its header gives.
struct PngImage {
    std::string file;
    std::string bytes;
    int width = 0;
    int height = 0;
};

// Reads the size from a PNG header (signature and IHDR chunk). False when bytes are not
// a PNG or give a size of 0 or above 32767.
bool ReadPngSize(std::string_view bytes, int& width, int& height);

// An icon: the same picture in one or more sizes (square or not), in the order written.
struct Icon {
    std::uint32_t id = 0;
    std::vector<PngImage> sizes;

    // The picture whose width is nearest to width (the first of equals); null for none.
    const PngImage* Nearest(int width) const;
};

// A strip of equally wide images, e.g. an image list's pictures.
struct Bitmap {
    std::uint32_t id = 0;
    PngImage strip;
    int imageWidth = 0;  // the strip's width divides by it

    int Count() const { return imageWidth > 0 ? strip.width / imageWidth : 0; }
};

// An animation: its frames as a strip, shown at a fixed rate.
struct Animation {
    std::uint32_t id = 0;
    PngImage strip;
    int frameWidth = 0;
    int framesPerSecond = 0;

    int FrameCount() const { return frameWidth > 0 ? strip.width / frameWidth : 0; }
};

// A toolbar: its buttons' command ids in order (0 for a separator) and a strip with one
// image per button, in the order of the buttons.
struct Toolbar {
    std::uint32_t id = 0;
    PngImage strip;
    int buttonWidth = 0;
    std::vector<std::uint32_t> commands;

    static constexpr std::uint32_t kSeparator = 0;
};
