#include "engine/tree/file_stamp.h"

namespace {

std::u16string_view Cut(std::u16string_view text, std::size_t max) {
    return text.size() > max ? text.substr(0, max) : text;
}

}  // namespace

void FileStamp::Assign(const plat::FindData& data, std::initializer_list<const FileStamp*> donors) {
    attributes = data.attributes;
    creationTime = data.creationTime;
    lastAccessTime = data.lastAccessTime;
    lastWriteTime = data.lastWriteTime;
    sizeHigh = data.sizeHigh;
    sizeLow = data.sizeLow;
    reserved0 = data.reserved0;
    reserved1 = data.reserved1;
    const std::u16string_view name = Cut(data.name.view(), kStampNameMax);
    const std::u16string_view shortName = Cut(data.shortName.view(), kStampShortNameMax);
    if (!name_.SameTexts(name, shortName)) {
        // A rescan finds the names the database stamps hold: no block is made for them.
        for (const FileStamp* donor : donors) {
            if (donor && donor != this && donor->name_.SameTexts(name, shortName)) {
                name_ = donor->name_;
                return;
            }
        }
    }
    SetNames(name, shortName);
}

plat::FindData FileStamp::ToFindData() const {
    plat::FindData data;
    data.attributes = attributes;
    data.creationTime = creationTime;
    data.lastAccessTime = lastAccessTime;
    data.lastWriteTime = lastWriteTime;
    data.sizeHigh = sizeHigh;
    data.sizeLow = sizeLow;
    data.reserved0 = reserved0;
    data.reserved1 = reserved1;
    data.name = CString(GetName());
    data.shortName = CString(GetShortName());
    data.kind = IsDirectory() ? plat::EntryKind::Directory : plat::EntryKind::File;
    return data;
}

void FileStamp::SetName(std::u16string_view name) { SetNames(name, GetShortName()); }

void FileStamp::SetNames(std::u16string_view name, std::u16string_view shortName) {
    name = Cut(name, kStampNameMax);
    shortName = Cut(shortName, kStampShortNameMax);
    // A rescan hands the same name again and again; keeping the block keeps it shared
    // with the database stamp.
    if (name_.SameTexts(name, shortName)) return;
    name_ = SharedName(name, shortName);
}

bool FileStamp::ShareNameWith(const FileStamp& other) {
    if (!name_.SharesWith(other.name_) && name_.SameTexts(other.GetName(), other.GetShortName()))
        name_ = other.name_;
    return name_.SharesWith(other.name_);
}

bool FileStamp::IsDotEntry() const {
    const std::u16string_view n = GetName();
    return IsDirectory() && plat::IsDotName(n);
}

void FileStamp::ShiftTimes(Bias bias) {
    creationTime = ShiftFileTime(creationTime, bias);
    lastAccessTime = ShiftFileTime(lastAccessTime, bias);
    lastWriteTime = ShiftFileTime(lastWriteTime, bias);
}

CString FileStamp::DumpText() const {
    return CString::Format(u"FA:%08x,CT:%s,AT:%s,WT:%s,SZ:%016I64x", attributes, FileTimeDumpText(creationTime),
                           FileTimeDumpText(lastAccessTime), FileTimeDumpText(lastWriteTime), GetSize());
}

bool operator==(const FileStamp& a, const FileStamp& b) {
    return a.attributes == b.attributes && a.creationTime == b.creationTime && a.lastAccessTime == b.lastAccessTime &&
           a.lastWriteTime == b.lastWriteTime && a.sizeHigh == b.sizeHigh && a.sizeLow == b.sizeLow &&
           a.reserved0 == b.reserved0 && a.reserved1 == b.reserved1 && a.GetName() == b.GetName() &&
           a.GetShortName() == b.GetShortName();
}

Bias FileStampTimeShift(FileTime a, FileTime b) {
    if (a == b) return NUL_BIAS;
    if (a > b && a - b == kOneHour) return NEG_BIAS;
    if (b > a && b - a == kOneHour) return POS_BIAS;
    return NO_BIAS;
}

FileTime ShiftFileTime(FileTime t, Bias bias) {
    switch (bias) {
    case POS_BIAS: return t + kOneHour;
    case NEG_BIAS: return t - kOneHour;
    default: return t;
    }
}

CString FileTimeDumpText(FileTime t) {
    SystemTime st;
    if (!FileTimeToSystemTime(t, st)) st = SystemTime{};
    return CString::Format(u"%02i-%02i-%02i %02i:%02i:%02i.%03i.%03I64i.%03I64i (%016I64x)", st.year, st.month,
                           st.day, st.hour, st.minute, st.second, st.milliseconds, (t % 10000) / 10, (t % 10) * 100,
                           t);
}
