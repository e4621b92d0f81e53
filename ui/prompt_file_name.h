#pragma once
// The program's open and save file dialogs, run through the prompt runner
// (platform/gui/prompt_runner.h) so that tests and unattended runs never block on one.
//
// A dialog may remember its folder: given a value name, it starts in the folder stored under
// that name in the application's section "Settings" and, after OK, stores the folder of the
// chosen file there. Value names in use: "InitialOpenDir", "InitialSaveDir",
// "InitialSaveSyncLog", "InitialImportPrefDir".
//
// User-interface thread only (from another thread the runner shows nothing and the call
// ends as cancelled). Nothing throws but std::bad_alloc.
#include <cstdint>
#include <string_view>

#include "platform/core/cstring.h"

class RegistryProfile;

namespace gui {
class Window;
}

// The dialog flags callers pass (the Windows values). The dialog never selects several
// files: OFN_ALLOWMULTISELECT is taken out of every request.
inline constexpr std::uint32_t OFN_OVERWRITEPROMPT = 0x00000002;  // save: ask before replacing a file
inline constexpr std::uint32_t OFN_HIDEREADONLY = 0x00000004;
inline constexpr std::uint32_t OFN_NOCHANGEDIR = 0x00000008;
inline constexpr std::uint32_t OFN_ALLOWMULTISELECT = 0x00000200;
inline constexpr std::uint32_t OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr std::uint32_t OFN_FILEMUSTEXIST = 0x00001000;  // open: only an existing file

// Runs an open (open true) or save file dialog titled CaptionFromId(titleId). filter is the
// program's "desc|patterns|...||" text (empty: every file); defaultExtension ("kem", a
// leading '.' is ignored) is added to a typed name without one; initialFileName is the name
// (or path) the dialog starts with. With settings and a folderValueName, the start folder is
// read from and the chosen file's folder written to settings' section "Settings".
// True with the chosen path in result after OK; after Cancel result is empty, false is
// returned and nothing is written.
bool PromptFileName(CString& result, bool open, std::uint32_t titleId, std::u16string_view defaultExtension,
                    std::u16string_view initialFileName, std::uint32_t flags, std::u16string_view filter,
                    gui::Window* parent, RegistryProfile* settings, std::u16string_view folderValueName);
