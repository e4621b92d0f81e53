#include "engine/log/captions.h"

#include "resources/string_ids.h"
#include "resources/string_table.h"

CString ApplicationTitle() { return LoadString(IDS_APP_TITLE); }

CString JoinCaption(const CString& first, const CString& second) {
    if (first.IsEmpty() && second.IsEmpty()) return ApplicationTitle();
    if (second.IsEmpty()) return first;
    if (first.IsEmpty()) return second;
    return first + u" - " + second;
}

CString JoinCaptionIds(std::uint32_t id1, std::uint32_t id2) { return JoinCaption(LoadString(id1), LoadString(id2)); }

CString JoinCaptionIdText(std::uint32_t id, const CString& text) { return JoinCaption(LoadString(id), text); }

CString CaptionFromId(std::uint32_t id) {
    if (id == 0) return ApplicationTitle();
    return ApplicationTitle() + u" - " + LoadString(id);
}

CString CaptionFromText(const char16_t* text) {
    if (!text) return ApplicationTitle();
    return ApplicationTitle() + u" - " + text;
}
