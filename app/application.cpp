#include "app/application.h"

#include <algorithm>

#include "engine/log/captions.h"

void CApp::HideToTray() {
    if (tray_) tray_->HideToTray();
}

bool CApp::IsInTray() const { return tray_ && tray_->IsInTray(); }

void CApp::RestoreFromTray() {
    if (tray_) tray_->RestoreFromTray();
}

void CApp::SetTrayTipText(std::uintptr_t key, const CString& text) {
    tips_.erase(std::remove_if(tips_.begin(), tips_.end(), [&](const auto& tip) { return tip.first == key; }),
                tips_.end());
    if (!text.IsEmpty()) tips_.emplace_back(key, text);
    if (tray_) tray_->ShowTrayTip(TrayTipText());
}

CString CApp::TrayTipText() const { return tips_.empty() ? ApplicationTitle() : tips_.back().second; }

CApp& GetApp() {
    static CApp app;
    return app;
}
