#include "tests/engine/support/scenario_tree.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "platform/core/text_convert.h"

namespace kit::scenario {

Tree::Tree(std::initializer_list<Entry> list) {
    for (const Entry& e : list) Add(e.path, e.node);
}

void Tree::Add(const std::string& path, const Node& node) {
    for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
        entries.emplace(path.substr(0, slash), Node{Node::Dir, {}});
    entries[path] = node;
}

namespace {

bool ReadBytes(plat::FileSystem& fs, const CString& path, std::string& out) {
    std::unique_ptr<plat::File> f = fs.OpenRead(path);
    if (!f) return false;
    char buffer[65536];
    for (;;) {
        std::size_t got = 0;
        if (!f->Read(buffer, sizeof buffer, got)) return false;
        if (got == 0) return true;
        out.append(buffer, got);
    }
}

}  // namespace

Tree Tree::Read(plat::FileSystem& fs, const CString& root, bool withTemporaries) {
    Tree tree;
    // (absolute directory path, relative path with a trailing '/' or empty)
    std::vector<std::pair<CString, std::string>> pending{{root, {}}};
    while (!pending.empty()) {
        auto [dir, relative] = pending.back();
        pending.pop_back();
        std::unique_ptr<plat::DirectoryLister> lister = fs.ListDirectory(dir);
        if (!lister) {
            if (!relative.empty()) tree.entries[relative.substr(0, relative.size() - 1)].kind = Node::Unlisted;
            continue;
        }
        plat::FindData fd;
        while (lister->Next(fd)) {
            if (fd.name == u"." || fd.name == u"..") continue;
            if (!withTemporaries && plat::IsTemporaryName(fd.name.view())) continue;
            const std::string path = relative + Bytes(fd.name);
            const CString full = dir + fd.name;
            Node node;
            switch (fd.kind) {
                case plat::EntryKind::Directory:
                    node.kind = Node::Dir;
                    pending.emplace_back(full + u"/", path + "/");
                    break;
                case plat::EntryKind::Symlink:
                    node.kind = Node::Link;
                    break;
                case plat::EntryKind::Special:
                    node.kind = Node::Special;
                    break;
                case plat::EntryKind::File:
                    if (!ReadBytes(fs, full, node.bytes)) node.bytes = "<unreadable>";
                    break;
            }
            tree.entries[path] = node;
        }
    }
    return tree;
}

std::vector<std::string> Tree::Temporaries() const {
    std::vector<std::string> out;
    for (const auto& [path, node] : entries) {
        const std::size_t slash = path.rfind('/');
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (plat::IsTemporaryName(Text(name).view())) out.push_back(path);
    }
    return out;
}

const Node* Tree::Find(const std::string& path) const {
    auto it = entries.find(path);
    return it == entries.end() ? nullptr : &it->second;
}

std::string Printable(const std::string& path) {
    std::string out;
    for (unsigned char c : path) {
        if (c < 0x20 || c >= 0x7F || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += char(c);
        }
    }
    return out;
}

namespace {

std::string Describe(const Node& n) {
    switch (n.kind) {
        case Node::Dir:
            return "dir";
        case Node::Link:
            return "link";
        case Node::Special:
            return "special";
        case Node::Unlisted:
            return "dir (not listed)";
        case Node::File:
            break;
    }
    std::string text = n.bytes.size() > 40 ? n.bytes.substr(0, 40) + "..." : n.bytes;
    return "file \"" + Printable(text) + "\" (" + std::to_string(n.bytes.size()) + " bytes)";
}

}  // namespace

std::ostream& operator<<(std::ostream& os, const Tree& tree) {
    os << "{\n";
    for (const auto& [path, node] : tree.entries) os << "  " << Printable(path) << ": " << Describe(node) << "\n";
    return os << "}";
}

void PrintTo(const Tree& tree, std::ostream* os) { *os << tree; }

std::string Difference(const Tree& want, const Tree& got) {
    std::ostringstream s;
    for (const auto& [path, node] : want.entries) {
        const Node* g = got.Find(path);
        if (!g)
            s << "- " << Printable(path) << ": " << Describe(node) << "\n";
        else if (!(*g == node))
            s << "~ " << Printable(path) << ": " << Describe(node) << " but " << Describe(*g) << "\n";
    }
    for (const auto& [path, node] : got.entries)
        if (!want.Find(path)) s << "+ " << Printable(path) << ": " << Describe(node) << "\n";
    return s.str();
}

CString RecordPath(const std::string& path) {
    std::u16string text = UpperCase(Text(path).view());
    for (char16_t& c : text)
        if (c == u'/') c = u'\\';
    return CString(std::move(text));
}

CString Text(const std::string& bytes) { return CString(DecodeUtf8Lossless(bytes)); }
std::string Bytes(const CString& text) { return EncodeUtf8Lossless(text.view()); }

}  // namespace kit::scenario
