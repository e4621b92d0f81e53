#include "app/core_adaptors.h"

#include "app/preferences.h"

int CCorePreferences::GetTestPatternCount() const { return profile_->GetNumber(PREF_TEST_PATTERN_COUNT); }
int CCorePreferences::GetAutoRetryDelayOnError() const { return profile_->GetNumber(PREF_AUTO_RETRY_DELAY_ON_ERROR); }
bool CCorePreferences::GetIgnoreArchiveBit() const { return profile_->GetBool(PREF_IGNORE_ARCHIVE_BIT); }
bool CCorePreferences::GetIgnoreInaccessibleDirs() const { return profile_->GetBool(PREF_IGNORE_INACCESSIBLE_DIRS); }
int CCorePreferences::GetCopyBufferSize() const { return profile_->GetNumber(PREF_COPY_BUFFER_SIZE); }
bool CCorePreferences::GetCopyTraditional() const { return profile_->GetBool(PREF_COPY_TRADITIONAL); }
int CCorePreferences::GetPrecisionTimeStampComp() const { return profile_->GetNumber(PREF_PRECISION_TIME_STAMP_COMP); }
int CCorePreferences::GetPrecisionEntryPairComp() const { return profile_->GetNumber(PREF_PRECISION_ENTRY_PAIR_COMP); }
