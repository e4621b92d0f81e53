#pragma once
// The application's menu command ids of the plan edits, next to the CSyncDataBase command
// operation (or history call) each one runs. The menus and their texts are the
// application's; the engine only names the ids.
#include <cstdint>

namespace command_id {
constexpr std::uint32_t kDominateLeft = 32841;        // ChangeDominate(DOMINATE_LEFT)
constexpr std::uint32_t kDominateRight = 32842;       // ChangeDominate(DOMINATE_RIGHT)
constexpr std::uint32_t kProtectionSettings = 32843;  // ModifyProtFilters
constexpr std::uint32_t kGlobalBestChoice = 32844;    // BestChoice, every entry marked
constexpr std::uint32_t kBestChoice = 32845;          // BestChoice
constexpr std::uint32_t kSkip = 32846;                // ChangeActionCode(SKIP)
constexpr std::uint32_t kInverseSkip = 32847;         // SkipInverse
constexpr std::uint32_t kDeleteLeft = 32848;          // ChangeActionCode(DEL_M)
constexpr std::uint32_t kDeleteRight = 32849;         // ChangeActionCode(DEL_S)
constexpr std::uint32_t kCopyLeftToRight = 32850;     // ChangeActionCode(CP_M)
constexpr std::uint32_t kCopyRightToLeft = 32851;     // ChangeActionCode(CP_S)
constexpr std::uint32_t kActivateProtection = 32852;  // ModifyProtStates(PROTECTION_ACTIVATE)
constexpr std::uint32_t kExcludeProtection = 32853;   // ModifyProtStates(PROTECTION_EXCLUDE)
constexpr std::uint32_t kAlterProtection = 32854;     // ModifyProtStates(PROTECTION_ALTER)
constexpr std::uint32_t kRemoveProtection = 32855;    // ModifyProtStates(PROTECTION_REMOVE)
constexpr std::uint32_t kSelectionSettings = 32856;   // SetSelFilters
constexpr std::uint32_t kSwitchSides = 32926;         // SwitchSides
constexpr std::uint32_t kUndo = 57643;                // CommandHistory::Undo
constexpr std::uint32_t kRedo = 57644;                // CommandHistory::Redo
}  // namespace command_id
