#include "engine/log/message_type.h"

#include "resources/string_ids.h"

std::vector<ForAllButton> ForAllButtons(std::uint32_t type) {
    constexpr std::uint32_t kOk = 1, kIgnore = 5, kYes = 6, kNo = 7;
    switch (type & MB_FORALL_MASK) {
        case MB_FORALL_ALL: return {{kForAllAnswerOffset + kOk, IDS_BUTTON_ALL}};
        case MB_FORALL_YES: return {{kForAllAnswerOffset + kYes, IDS_BUTTON_YES_TO_ALL}};
        case MB_FORALL_YES_NO:
            return {{kForAllAnswerOffset + kYes, IDS_BUTTON_YES_TO_ALL}, {kForAllAnswerOffset + kNo, IDS_BUTTON_NO_TO_ALL}};
        case MB_FORALL_SAVE_DISCARD:
            return {{kForAllAnswerOffset + kYes, IDS_BUTTON_SAVE_ALL}, {kForAllAnswerOffset + kNo, IDS_BUTTON_DISCARD_ALL}};
        case MB_FORALL_IGNORE: return {{kForAllAnswerOffset + kIgnore, IDS_BUTTON_IGNORE_ALL}};
        default: return {};
    }
}
