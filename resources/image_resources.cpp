#include "resources/image_resources.h"

#include <cstdlib>

#include "resources/resource_reader.h"

namespace {

std::uint32_t BigEndian32(std::string_view b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) << 24 | std::uint32_t(std::uint8_t(b[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 8 | std::uint32_t(std::uint8_t(b[at + 3]));
}

// Reads "width N" when the line has it next; keeps value otherwise unless required.
bool ReadNamed(resread::Fields& f, const char* word, bool required, int& value, int min, int max) {
    if (!f.Take(word)) return required ? f.Fail(std::string("missing ") + word) : true;
    return f.Int(value, min, max, word);
}

// A strip's width must be a whole number of images.
bool CheckStrip(resread::Fields& f, const PngImage& strip, int imageWidth, const char* what) {
    if (strip.width % imageWidth == 0) return true;
    return f.Fail("the width " + std::to_string(strip.width) + " of '" + strip.file + "' is not a multiple of the " +
                  what + " " + std::to_string(imageWidth));
}

}  // namespace

bool ReadPngSize(std::string_view bytes, int& width, int& height) {
    static constexpr std::string_view kSignature("\x89PNG\r\n\x1A\n", 8);
    if (bytes.size() < 24 || bytes.substr(0, 8) != kSignature || BigEndian32(bytes, 8) != 13 ||
        bytes.substr(12, 4) != "IHDR") {
        return false;
    }
    const std::uint32_t w = BigEndian32(bytes, 16);
    const std::uint32_t h = BigEndian32(bytes, 20);
    if (w == 0 || h == 0 || w > 32767 || h > 32767) return false;
    width = int(w);
    height = int(h);
    return true;
}

const PngImage* Icon::Nearest(int width) const {
    const PngImage* best = nullptr;
    for (const PngImage& image : sizes) {
        if (!best || std::abs(image.width - width) < std::abs(best->width - width)) best = &image;
    }
    return best;
}

namespace resread {

bool ReadIconLine(const Line& line, Context& context, Icon& out) {
    Fields f(line, context);
    if (!f.Id(out.id, "icon id")) return false;
    do {
        PngImage image;
        if (!f.Png(image, "image file")) return false;
        out.sizes.push_back(std::move(image));
    } while (!f.AtEnd());
    return true;
}

bool ReadBitmapLine(const Line& line, Context& context, Bitmap& out) {
    Fields f(line, context);
    if (!f.Id(out.id, "bitmap id") || !f.Png(out.strip, "image file")) return false;
    out.imageWidth = out.strip.width;
    if (!ReadNamed(f, "width", false, out.imageWidth, 1, 32767) || !f.End()) return false;
    return CheckStrip(f, out.strip, out.imageWidth, "image width");
}

bool ReadAnimationLine(const Line& line, Context& context, Animation& out) {
    Fields f(line, context);
    if (!f.Id(out.id, "animation id") || !f.Png(out.strip, "image file") ||
        !ReadNamed(f, "frame-width", true, out.frameWidth, 1, 32767) ||
        !ReadNamed(f, "rate", true, out.framesPerSecond, 1, 100) || !f.End()) {
        return false;
    }
    return CheckStrip(f, out.strip, out.frameWidth, "frame width");
}

bool ReadToolbarBlock(const Line& opening, Context& context, Toolbar& out) {
    Fields f(opening, context);
    if (!f.Id(out.id, "toolbar id") || !f.Png(out.strip, "image file") ||
        !ReadNamed(f, "width", true, out.buttonWidth, 1, 32767) || !f.End() ||
        !CheckStrip(f, out.strip, out.buttonWidth, "button width")) {
        return false;
    }
    const std::string what = "toolbar " + std::to_string(out.id);
    int buttons = 0;
    Line line;
    while (NextInBlock(context, opening, what.c_str(), line)) {
        if (IsEnd(line)) {
            const int images = out.strip.width / out.buttonWidth;
            if (buttons <= images) return true;
            return Fail(
                context, opening.number,
                what + " has " + std::to_string(buttons) + " buttons but " + std::to_string(images) + " images");
        }
        Fields item(line, context);
        const std::string_view keyword = line.Keyword();
        if (keyword == "button") {
            std::uint32_t command = 0;
            if (!item.Id(command, "command id") || !item.End()) return false;
            out.commands.push_back(command);
            ++buttons;
        } else if (keyword == "separator") {
            if (!item.End()) return false;
            out.commands.push_back(Toolbar::kSeparator);
        } else {
            return Fail(context, line.number, "unknown keyword '" + std::string(keyword) + "' in " + what);
        }
    }
    return false;
}

}  // namespace resread
