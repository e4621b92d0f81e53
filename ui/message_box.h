#pragma once
// The message-box front end: every message of the program goes through ShowMessageBox, which
// adds the caption, the help id, the for-all buttons with remembered answers (answer_memo.h)
// and, for operating-system errors, a "&More..." button that shows the system's message.
// Each returns the id of the button chosen (a standard id, a for-all id 4097 and up unless
// reduced as below, 4095 "&More..." and 1000 "&Report..." passed through unchanged).
//
// The type word (engine/log/message_type.h): bits 0-21 are the MB_ flags of the box;
// bit 22 (MB_REMEMBER_BY_TEXT_ID) makes the text id the question's key, otherwise every
// question has key 0, so that one "I&gnore all" given to an error box of a batch answers the
// batch's later error boxes of the same button set; bit 23 (MB_ANSWER_FOR_ALL) lets a
// remembered answer stand for the box; bits 24-27 choose the for-all buttons.
//
// Remembering: while an enabling CAnswerMemoScope is open, a box with for-all buttons and
// bit 23 whose (key, button set) has an answer is not shown; the caller gets that answer
// less 4096. Otherwise the for-all buttons are added when requested, but with bit 23 only
// while remembering is on. A for-all answer (above 4096) is stored only with bit 23 while
// remembering is on and the key has none yet, and is reduced by 4096 whenever bit 23 is set.
//
// User-interface thread only (a worker asks through a message to a window).
#include <cstdint>
#include <functional>

#include "controls/msgbox/ecx_msg_box.h"
#include "engine/error_info.h"
#include "platform/core/cstring.h"

// Sets the box up (it may change text and buttons) and runs it: returns box.DoModal() or
// another answer.
using MsgBoxSetUp = std::function<int(CEcxMsgBox& box, void* data)>;

int ShowMessageBox(const MsgBoxSetUp& setUp, void* data, gui::Window* parent, std::uint32_t textId,
                   std::uint32_t type, const char16_t* caption = nullptr, const char16_t* caption2 = nullptr);
// The caption id's string, when there is one, as caption text.
int ShowMessageById(gui::Window* parent, std::uint32_t textId, std::uint32_t type, std::uint32_t captionId = 0,
                    const char16_t* caption2 = nullptr);
// The text id's string formatted with the one argument (such as 1104 "Save profile changes to %s?").
int ShowMessageWithArgument(gui::Window* parent, std::uint32_t textId, const CString& argument, std::uint32_t type,
                            std::uint32_t captionId = 0, const char16_t* caption2 = nullptr);
// The record's text as a warning; an operating-system error (category 1) gets "&More..."
// (4095), which shows the box again with the system's message (string 1219) under the same
// type word and returns that box's answer.
int ShowErrorMessage(gui::Window* parent, const ErrorInfo& record, std::uint32_t type, std::uint32_t captionId = 0,
                     const char16_t* caption2 = nullptr);

// Sets the box's text to the record's text (FormatErrorText) and its help id to the string
// id that text came from.
void SetErrorText(CTcxMsgBox& box, const ErrorInfo& record);

// Whether the default button of the type (bits 8-11) is the one at `offset` after the
// standard buttons of its set (1 for OK and unknown sets, 2 for OK/Cancel, Yes/No and
// Retry/Cancel, 3 for Abort/Retry/Ignore and Yes/No/Cancel); offset -1 asks for the last
// standard button.
bool IsDefaultButtonAt(std::uint32_t type, int offset);
// The number of standard buttons of the type's button set.
int StandardButtonCount(std::uint32_t type);
