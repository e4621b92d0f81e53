#pragma once
// The roots a file system holds (FileSystem::HoldRoot): a counted set of root paths,
// each with the state an implementation keeps for it (the POSIX one its descriptor, the
// in-memory one its directory node), and the look-up of the root a path lies below.
//
// Roots are kept as given with a '/' at the end; a path lies below a root when it begins
// with that text and has more after it, so the root itself ("/r" or "/r/") lies below
// none. Of nested roots the longest counts.
//
// Threads: every call may come from any thread; Below is a shared lock (nothing when no
// root is held), Hold and Release exclusive. A state handed out by Below stays alive
// while the caller keeps it, also when its last hold is released meanwhile.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string_view>
#include <vector>

#include "platform/core/cstring.h"

namespace plat {

template <typename State>
class HeldRoots {
public:
    struct Found {
        std::shared_ptr<State> state;  // null: the path lies below no held root
        std::size_t length = 0;        // code units of the root (with its '/') at the start of the path
    };

    // Adds a hold on root; the first hold makes the root's state with make(root), root
    // with its '/'. A relative or empty root is not held (such paths fail anyway).
    template <typename Make>
    void Hold(const CString& root, Make&& make) {
        const CString key = Key(root);
        if (key.IsEmpty()) return;
        std::unique_lock lock(mutex_);
        for (Entry& e : entries_) {
            if (e.root == key) {
                ++e.holds;
                return;
            }
        }
        entries_.push_back(Entry{key, 1, make(key)});
        count_.store(entries_.size(), std::memory_order_release);
    }

    // Takes one hold away; the last one forgets the root (and, once no caller keeps it,
    // its state).
    void Release(const CString& root) {
        const CString key = Key(root);
        std::unique_lock lock(mutex_);
        const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.root == key; });
        if (it == entries_.end() || --it->holds > 0) return;
        entries_.erase(it);
        count_.store(entries_.size(), std::memory_order_release);
    }

    Found Below(std::u16string_view path) const {
        Found found;
        if (count_.load(std::memory_order_acquire) == 0) return found;
        std::shared_lock lock(mutex_);
        for (const Entry& e : entries_) {
            const std::u16string_view root = e.root.view();
            if (path.size() > root.size() && path.starts_with(root) && root.size() > found.length) {
                found.state = e.state;
                found.length = root.size();
            }
        }
        return found;
    }

private:
    struct Entry {
        CString root;
        std::size_t holds;
        std::shared_ptr<State> state;
    };

    static CString Key(const CString& root) {
        if (!root.StartsWith(u"/")) return CString();
        return root.EndsWith(u'/') ? root : root + u"/";
    }

    mutable std::shared_mutex mutex_;
    std::vector<Entry> entries_;
    std::atomic<std::size_t> count_{0};
};

}  // namespace plat
