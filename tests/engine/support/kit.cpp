#include "tests/engine/support/kit.h"

#include "engine/proxy.h"
#include "engine/tree/fs_tree.h"

namespace kit {

std::string CodeName(std::uint32_t code) { return CString(ActionCodeName(code)).ToUtf8(); }

std::string PlanText(const Proxy& proxy) {
    std::string out;
    for (const ProxyEntry& entry : proxy.Entries()) {
        if (!out.empty()) out += ' ';
        out += entry.node->record.GetPath().ToUtf8() + "=" + CodeName(entry.node->record.AC);
    }
    return out;
}

void LogCollector::Receive(CLogger* sender, const ErrorInfo& entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries.push_back(entry);
    senders.push_back(sender);
}

std::vector<ErrorInfo> LogCollector::Entries() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries;
}

std::vector<std::uint32_t> LogCollector::Codes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::uint32_t> codes;
    for (const ErrorInfo& e : entries) codes.push_back(e.code);
    return codes;
}

std::vector<std::string> LogCollector::ArgumentTexts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> texts;
    for (const ErrorInfo& e : entries) texts.push_back(CString(e.GetText() ? e.GetText() : u"").ToUtf8());
    return texts;
}

int LogCollector::CountMessages(std::uint32_t id, std::int32_t kind) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const ErrorInfo& e : entries)
        if (e.category == ERROR_CATEGORY_MESSAGE && e.code == id && (kind == 0 || std::int32_t(e.extra) == kind)) ++n;
    return n;
}

int LogCollector::CountRecords(std::uint32_t category, std::uint32_t code) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const ErrorInfo& e : entries)
        if (e.category == category && e.code == code) ++n;
    return n;
}

void LogCollector::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    entries.clear();
    senders.clear();
}

}  // namespace kit
