#include "ui/run_result.h"

#include "resources/string_ids.h"
#include "ui/message_box.h"

int ShowRunResult(gui::Window* parent, int outcome, std::uint32_t helpId, const char16_t* caption) {
    // An outcome the program does not know is no success: it is reported as one with errors.
    const std::uint32_t textId = outcome == RUN_SUCCEEDED   ? IDS_SUCCESSFUL_FINISHED
                                 : outcome == RUN_CANCELLED ? IDS_PROCEDURE_CANCELLED
                                                            : IDS_FINISHED_WITH_ERRORS;
    const std::uint32_t type = outcome == RUN_SUCCEEDED ? 80 : 48;
    auto setUp = [helpId](CEcxMsgBox& box, void*) {
        if (helpId != 0) box.SetHelpID(helpId);
        return box.DoModal();
    };
    return ShowMessageBox(setUp, nullptr, parent, textId, type, caption);
}
