#pragma once
// The application's adaptors of the engine, both members of a profile document.
//
// CProxy: the document's selection index (the engine's Proxy) as the object that rides
// along with every view update, so each update carries the current selection. It adds
// nothing to Proxy and is never stored; the entry array is the Proxy's, the views only
// read and mark it.
//
// CCorePreferences: the engine's settings (Core::Preferences) answered from a profile's
// own preference store, read at every call, so a change made on a preference page takes
// effect at the next engine call without any notice. The application's store is kept
// beside it but never read. Neither store is owned: the application's outlives every
// document, the profile's lives as long as the document that holds both.
//
// Threads: the engine's workers call CCorePreferences while the user-interface thread
// waits for them (the preference pages are not open during a run).
#include "engine/core_preferences.h"
#include "engine/proxy.h"

class CAppPreferences;
class CProfilePreferences;

class CProxy : public Proxy {
public:
    CProxy() = default;
    ~CProxy() override = default;
};

class CCorePreferences : public Core::Preferences {
public:
    CCorePreferences(CAppPreferences* app, CProfilePreferences* profile) : app_(app), profile_(profile) {}

    // Numbers as the profile store holds them (the engine bounds them where it uses them);
    // flags true for any non-zero value.
    int GetTestPatternCount() const override;
    int GetAutoRetryDelayOnError() const override;
    bool GetIgnoreArchiveBit() const override;
    bool GetIgnoreInaccessibleDirs() const override;
    int GetCopyBufferSize() const override;
    bool GetCopyTraditional() const override;
    int GetPrecisionTimeStampComp() const override;
    int GetPrecisionEntryPairComp() const override;

    CAppPreferences* GetAppPreferences() const { return app_; }

private:
    CAppPreferences* app_;  // not read
    CProfilePreferences* profile_;
};
