#pragma once
// Window and message-box captions: the application title (string 57344) and
// string-table texts joined with " - ". Each returns a new text; thread-safe.
#include <cstdint>

#include "platform/core/cstring.h"

CString ApplicationTitle();
// Both empty: the application title; one empty: the other; else "first - second".
CString JoinCaption(const CString& first, const CString& second);
CString JoinCaptionIds(std::uint32_t id1, std::uint32_t id2);
CString JoinCaptionIdText(std::uint32_t id, const CString& text);
// Id 0: the application title; else "title - string".
CString CaptionFromId(std::uint32_t id);
// Null: the application title; else "title - text".
CString CaptionFromText(const char16_t* text);
