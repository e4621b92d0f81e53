#include "ui/message_box.h"

#include "controls/msgbox/answer_memo.h"
#include "engine/log/captions.h"
#include "engine/log/error_text.h"
#include "engine/log/message_type.h"
#include "resources/string_ids.h"
#include "resources/string_table.h"

int StandardButtonCount(std::uint32_t type) {
    switch (type & MB_BUTTON_SET_MASK) {
        case MB_OKCANCEL:
        case MB_YESNO:
        case MB_RETRYCANCEL: return 2;
        case MB_ABORTRETRYIGNORE:
        case MB_YESNOCANCEL: return 3;
        default: return 1;
    }
}

bool IsDefaultButtonAt(std::uint32_t type, int offset) {
    return static_cast<int>((type >> 8) & 0xF) == StandardButtonCount(type) + offset;
}

int ShowMessageBox(const MsgBoxSetUp& setUp, void* data, gui::Window* parent, std::uint32_t textId,
                   std::uint32_t type, const char16_t* caption, const char16_t* caption2) {
    // Held around the whole call; it never enables remembering itself.
    CAnswerMemoScope scope(false);
    const std::uint32_t key = RememberKey(type, textId);
    const std::uint32_t buttonSet = type & MB_BUTTON_SET_MASK;
    const std::vector<ForAllButton> forAll = ForAllButtons(type);
    const bool answerForAll = (type & MB_ANSWER_FOR_ALL) != 0;
    const bool remembering = AnswerMemo::IsRemembering();

    if (remembering && !forAll.empty() && answerForAll) {
        if (int stored = LookupRememberedAnswer(key, buttonSet); stored != 0)
            return stored - static_cast<int>(kForAllAnswerOffset);
    }

    CEcxMsgBox box(parent);
    box.SetMsgButtons(type & MB_TYPE_MASK);
    box.SetMsgText(textId);
    box.SetHelpID(textId);
    if (!caption) {
        box.SetTitle(ApplicationTitle());
    } else if (!caption2) {
        box.SetTitle(CaptionFromText(caption));
    } else {
        box.SetTitle(JoinCaption(CString(caption), CString(caption2)));
    }
    if (!forAll.empty() && (remembering || !answerForAll)) {
        for (std::size_t i = 0; i < forAll.size(); ++i) {
            box.AddButton(forAll[i].id, IsDefaultButtonAt(type, static_cast<int>(i)), false, forAll[i].textId);
        }
    }

    int answer = setUp ? setUp(box, data) : box.DoModal();
    if (answer > static_cast<int>(kForAllAnswerOffset)) {
        if (remembering && LookupRememberedAnswer(key, buttonSet) == 0 && answerForAll)
            RememberAnswer(key, buttonSet, answer);
        if (answerForAll) answer -= static_cast<int>(kForAllAnswerOffset);
    }
    return answer;
}

int ShowMessageById(gui::Window* parent, std::uint32_t textId, std::uint32_t type, std::uint32_t captionId,
                    const char16_t* caption2) {
    CString caption = captionId ? LoadString(captionId) : CString();
    return ShowMessageBox(nullptr, nullptr, parent, textId, type, caption.IsEmpty() ? nullptr : caption.c_str(),
                          caption2);
}

int ShowMessageWithArgument(gui::Window* parent, std::uint32_t textId, const CString& argument, std::uint32_t type,
                            std::uint32_t captionId, const char16_t* caption2) {
    CString caption = captionId ? LoadString(captionId) : CString();
    auto setUp = [&](CEcxMsgBox& box, void*) {
        box.FormatMsg(textId, argument);
        return box.DoModal();
    };
    return ShowMessageBox(setUp, nullptr, parent, textId, type, caption.IsEmpty() ? nullptr : caption.c_str(),
                          caption2);
}

void SetErrorText(CTcxMsgBox& box, const ErrorInfo& record) {
    std::uint32_t usedId = 0;
    CString text = FormatErrorText(record, &usedId);
    box.SetMsgText(text.c_str());
    box.SetHelpID(usedId);
}

int ShowErrorMessage(gui::Window* parent, const ErrorInfo& record, std::uint32_t type, std::uint32_t captionId,
                     const char16_t* caption2) {
    type |= MB_ICONEXCLAMATION;
    CString caption = captionId ? LoadString(captionId) : CString();
    const char16_t* captionText = caption.IsEmpty() ? nullptr : caption.c_str();
    std::uint32_t usedId = 0;
    FormatErrorText(record, &usedId);
    const bool system = record.category == ERROR_CATEGORY_SYSTEM;
    auto first = [&](CEcxMsgBox& box, void*) {
        SetErrorText(box, record);
        if (system) box.AddButton(kMoreButtonId, false, false, IDS_BUTTON_MORE);
        return box.DoModal();
    };
    int answer = ShowMessageBox(first, nullptr, parent, usedId, type, captionText, caption2);
    if (!system || answer != static_cast<int>(kMoreButtonId)) return answer;
    const CString details = FormatSystemErrorDetails(record);
    auto second = [&](CEcxMsgBox& box, void*) {
        box.SetMsgText(details.c_str());
        return box.DoModal();
    };
    return ShowMessageBox(second, nullptr, parent, usedId, type, captionText, caption2);
}
