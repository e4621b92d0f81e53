#pragma once
// The message that tells the user how a run ended, through the message-box front end
// (ui/message_box.h). User-interface thread only.
#include <cstdint>

namespace gui {
class Window;
}

// The outcomes of a run as the commands report them.
enum RunOutcome : int {
    RUN_SUCCEEDED = 0,
    RUN_CANCELLED = 1,
    RUN_FAILED = 2,
};

// Shows "Successful finished." (type 80) for RUN_SUCCEEDED, "Procedure was cancelled." for
// RUN_CANCELLED and "Finished with errors." for RUN_FAILED and any other outcome (both type
// 48, a warning), titled like every box with caption (null: the application title alone).
// helpId, when not 0, is the box's help id; otherwise the text's id is. Returns the box's
// answer.
int ShowRunResult(gui::Window* parent, int outcome, std::uint32_t helpId, const char16_t* caption);
