#include "app/preference_keys.h"

#include <algorithm>
#include <limits>

namespace {

constexpr PreferenceType B = PREF_TYPE_BOOL;
constexpr PreferenceType I = PREF_TYPE_INT;
constexpr PreferenceType S = PREF_TYPE_STRING;

}  // namespace

// clang-format off
const PreferenceKey PreferenceKeyTable[kPreferenceCount] = {
    {11, I, 0, 1, u"", 2, u"UserLevel"},
    {15, I, 200, 0, u"", 2, u"PrefTreeWidth"},
    {6, I, 500, 0, u"", 2, u"AutoSizeCacheThreshold"},
    {1, B, 1, 0, u"", 1, u"OpenProjectUserSelect"},
    {2, B, 1, 0, u"", 1, u"AmbiguousIsNotHarmless"},
    {4, B, 0, 0, u"", 1, u"ShowGMT"},
    {0, I, 3, 20, u"", 1, u"BatchErrorRepRate"},
    {12, S, 0, 0, u"", 0, u"Viewer"},
    {13, S, 0, 0, u"", 0, u"DiffViewer"},
    {14, S, 0, 0, u"", 0, u"DiffViewerParmTemplate"},
    {16, S, 0, 0, u"", 0, u"HelpFile"},
    {17, S, 0, 0, u"", 0, u"Language"},
    {21, I, 5, 0, u"", 0, u"BalloonTrayTipsTimeout"},
    {22, B, 1, 1, u"", 1, u"AutoSyncEnable"},
    {23, I, 0, 1, u"", 1, u"AutoSyncOnError"},
    {24, I, 0, 2, u"", 1, u"AutoSyncOnAmbiguous"},
    {25, I, 0, 2, u"", 1, u"AutoSyncOnProjectOpen"},
    {26, B, 0, 0, u"", 1, u"LogFileEnable"},
    {27, B, 0, 0, u"", 1, u"LogFileTruncate"},
    {28, B, 0, 0, u"", 1, u"LogFileAutoSync"},
    {29, S, 0, 0, u"", 1, u"LogFilePath"},
    {30, I, 100, 0, u"", 1, u"LogFileLimit"},
    {31, I, 100, 0, u"", 1, u"LogWindowLimit"},
    {32, B, 0, 0, u"", 1, u"LogShowUTC"},
    {8, I, 50, 10000, u"", 1, u"AutoRetryDelayOnError"},
    {7, I, 0, 0, u"", 2, u"TestPatternCount"},
    {9, I, 262144, 0, u"", 1, u"CopyBufferSize"},
    {10, B, 0, 1, u"", 1, u"CopyTraditional"},
    {5, B, 1, 0, u"", 1, u"IgnoreArchiveBit"},
    {3, B, 1, 0, u"", 1, u"AutoDSTCompensation"},
    {18, B, 0, 0, u"", 1, u"HideHarmlessAfterScan"},
    {19, B, 0, 0, u"", 1, u"SyncIgnoreErrors"},
    {20, B, 1, 0, u"", 1, u"IgnoreInaccessibleDirs"},
    {33, I, 2000, 3600000, u"", 1, u"PrecisionTimeStampComp"},
    {34, I, 2000, 3600000, u"", 1, u"PrecisionEntryPairComp"},
    {35, B, 0, 0, u"", 1, u"PreProcEnable"},
    {36, B, 0, 0, u"", 1, u"PreProcNoWait"},
    {37, S, 0, 0, u"", 1, u"PreProcTitle"},
    {38, S, 0, 0, u"", 1, u"PreProcCmd"},
    {39, S, 0, 0, u"", 1, u"PreProcDir"},
    {40, S, 0, 0, u"", 1, u"PreProcRcOk"},
    {41, B, 0, 0, u"", 1, u"PostProcEnable"},
    {42, B, 0, 0, u"", 1, u"PostProcNoWait"},
    {43, S, 0, 0, u"", 1, u"PostProcTitle"},
    {44, S, 0, 0, u"", 1, u"PostProcCmd"},
    {45, S, 0, 0, u"", 1, u"PostProcDir"},
    {46, S, 0, 0, u"", 1, u"PostProcRcOk"},
};
// clang-format on

const PreferenceKey kFallbackPreferenceKey = {47, I, 0, 0, u"", 0, u""};

const PreferenceKey& FindPreferenceKey(std::int32_t id) {
    for (const PreferenceKey& key : PreferenceKeyTable) {
        if (key.id == id) return key;
    }
    return kFallbackPreferenceKey;
}

std::int32_t ClampToKey(const PreferenceKey& key, std::int32_t number) {
    if (key.maximum != 0 && static_cast<std::uint32_t>(number) > key.maximum) return key.defaultNumber;
    return number;
}

std::int32_t ParseDecimalNumber(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    // Accumulated as a magnitude that stops growing once it is past every 32-bit value.
    constexpr std::int64_t kBeyond = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 2;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        magnitude = std::min(magnitude * 10 + (text[i] - u'0'), kBeyond);
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}
