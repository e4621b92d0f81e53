#pragma once
// The reader behind ResourceSet::Parse: a source of tokenized lines and a cursor over
// the fields of one line. Each kind of resource has its own block reader (Read*Block)
// written against these two; the ResourceSet dispatches by the line's first word.
//
// Internal to resources/; not thread-safe (one reader per parse).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "resources/resource_set.h"
#include "resources/resource_text.h"

namespace resread {

// The first failure of a parse: the line it was found on and why.
struct Failure {
    std::size_t line = 0;
    std::string reason;
};

// One line that is neither empty nor a comment.
struct Line {
    std::size_t number = 0;
    std::string_view raw;
    std::vector<restext::Token> tokens;  // filled by Tokenize
    // The first token's word, empty for a line that begins with a quoted text.
    std::string_view Keyword() const;
};

// The lines of one text in order, without empty lines and comments.
class LineSource {
public:
    explicit LineSource(std::string_view text);
    // The next line, not yet tokenized; false at the end of the text.
    bool NextRaw(Line& line);
    // The next line, tokenized. False at the end (failure.reason empty) or on a line that
    // does not read (failure set).
    bool Next(Line& line, Failure& failure);
    // The number of the last line of the text (for "has no end" failures).
    std::size_t LastLine() const { return lastLine_; }

private:
    std::vector<std::pair<std::size_t, std::string_view>> lines_;
    std::size_t next_ = 0;
    std::size_t lastLine_ = 0;
};

// Splits line.raw into line.tokens; false (failure set) on invalid UTF-8 or a bad quoted text.
bool Tokenize(Line& line, Failure& failure);

using FileLookup = ResourceSet::FileLookup;

// What a block reader works with: the lines after its opening line, the files the text
// may name, and the place for the first failure.
struct Context {
    LineSource& lines;
    const FileLookup& files;
    Failure& failure;
};

// A cursor over the tokens of one line. Every reader sets the failure on a missing or
// bad field and returns false; the failure names the field.
class Fields {
public:
    Fields(const Line& line, Context& context, std::size_t first = 1) : line_(line), context_(context), i_(first) {}

    // An integer in decimal or 0x hexadecimal, within [min, max].
    bool Int(std::int64_t& value, std::int64_t min, std::int64_t max, const char* what);
    bool Id(std::uint32_t& value, const char* what);  // 1..65535
    bool Int(int& value, int min, int max, const char* what);
    // A quoted text, or @N for string N of the string table.
    bool Text(ResourceText& value, const char* what);
    bool Quoted(std::u16string& value, const char* what);
    bool Word(std::string& value, const char* what);
    // Reads a quoted file name and takes the file from the lookup as a PNG image.
    bool Png(PngImage& image, const char* what);
    // Consumes the bare word when it is next.
    bool Take(std::string_view word);
    bool AtEnd() const { return i_ >= line_.tokens.size(); }
    // True when no token is left; otherwise fails with the first unexpected one.
    bool End();
    // Fails naming the line's field just read (for checks after reading it).
    bool Fail(std::string reason);

private:
    const restext::Token* Peek() const { return AtEnd() ? nullptr : &line_.tokens[i_]; }
    bool Missing(const char* what);

    const Line& line_;
    Context& context_;
    std::size_t i_;
};

// True for a line that is "end" alone.
bool IsEnd(const Line& line);
// The next line of a block: false at a line that reads badly, and at the end of the text
// with the failure "<what> begun on line N has no end".
bool NextInBlock(Context& context, const Line& opening, const char* what, Line& line);
// Sets the failure; returns false.
bool Fail(Context& context, std::size_t line, std::string reason);

// Block readers: each gets the opening line (already tokenized) and reads on through
// "end" where the kind has a block. False with the failure set.
bool ReadDialogBlock(const Line& opening, Context& context, DialogTemplate& out);
bool ReadMenuBlock(const Line& opening, Context& context, Menu& out);
bool ReadAcceleratorBlock(const Line& opening, Context& context, AcceleratorTable& out);
bool ReadToolbarBlock(const Line& opening, Context& context, Toolbar& out);
bool ReadVersionBlock(const Line& opening, Context& context, VersionBlock& out);
bool ReadIconLine(const Line& line, Context& context, Icon& out);
bool ReadBitmapLine(const Line& line, Context& context, Bitmap& out);
bool ReadAnimationLine(const Line& line, Context& context, Animation& out);

}  // namespace resread
