#include "app/exception_texts.h"

namespace {

struct ExceptionText {
    std::uint32_t code;
    const char16_t* name;
    const char16_t* description;
};

constexpr ExceptionText kTexts[] = {
    {0xC0000005, u"Access Violation",
     u"The thread attempted to read from or write to a virtual address for which it does not have the appropriate "
     u"access"},
    {0x80000001, u"Guard Page", u"The thread touched a guard page of its memory."},
    {0x80000002, u"Datatype Misalignment", u"The thread read or wrote data at an address not aligned for its type."},
    {0x80000003, u"Breakpoint", u"The thread reached a breakpoint."},
    {0x80000004, u"Single Step", u"The thread finished a single step of an instruction trace."},
    {0xC0000006, u"In Page Error", u"The thread touched a page that the system could not load from its file."},
    {0xC0000008, u"Invalid Handle", u"Invalid Handle Exception"},
    {0xC0000017, u"No Memory",
     u"The allocation attempt failed because of a lack of available memory or heap corruption."},
    {0xC000001D, u"Illegal Instruction", u"The thread tried to execute an instruction that is not valid."},
    {0xC0000025, u"Noncontinuable Exception",
     u"The thread tried to continue after an exception that does not allow it."},
    {0xC0000026, u"Invalid Disposition", u"An exception handler returned a value that is not valid."},
    {0xC000008C, u"Array Bounds Exceeded", u"The thread used an array index outside the bounds the hardware checks."},
    {0xC000008D, u"Float Denormal Operand", u"A floating-point operation got an operand too small to be normalised."},
    {0xC000008E, u"Float Divide by Zero", u"The thread divided a floating-point value by zero."},
    {0xC000008F, u"Float Inexact Result", u"The result of a floating-point operation cannot be represented exactly."},
    {0xC0000090, u"Float Invalid Operation", u"A floating-point operation was not valid for its operands."},
    {0xC0000091, u"Float Overflow", u"A floating-point result was larger than its type can hold."},
    {0xC0000092, u"Float Stack Check", u"The floating-point stack overflowed or underflowed."},
    {0xC0000093, u"Float Underflow", u"A floating-point result was smaller than its type can hold."},
    {0xC0000094, u"Integer Divide by Zero", u"The thread divided an integer by zero."},
    {0xC0000095, u"Integer Overflow", u"An integer operation produced a result too large for its type."},
    {0xC0000096, u"Privileged Instruction", u"The thread tried to execute an instruction it is not allowed to."},
    {0xC00000FD, u"Stack Overflow", u"The thread used up its stack."},
    {0xE06D7363, u"Microsoft C++ Exception", u"A C++ exception was thrown and not caught."},
};

const ExceptionText* Find(std::uint32_t code) {
    for (const ExceptionText& t : kTexts) {
        if (t.code == code) return &t;
    }
    return nullptr;
}

}  // namespace

CString ExceptionCodeName(std::uint32_t code) {
    const ExceptionText* t = Find(code);
    return t ? CString(t->name) : CString::Format(u"%08X", code);
}

CString ExceptionCodeDescription(std::uint32_t code) {
    const ExceptionText* t = Find(code);
    return t ? CString(t->description) : CString(u"Unknown Exception");
}
