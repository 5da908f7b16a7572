#include "system/ResourceFormat.h"

#include <algorithm>

namespace mvres {
namespace {

constexpr size_t kHeaderSize = 16;
constexpr size_t kDataStart = 256;
constexpr size_t kMapHeaderSize = 28;
constexpr size_t kTypeEntrySize = 8;
constexpr size_t kRefEntrySize = 12;
constexpr UInt16 kNoName = 0xFFFF;

// Bounds-checked big-endian reads over one byte range.
class Reader {
public:
    Reader(const std::vector<UInt8>& bytes, size_t start, size_t length)
        : bytes_(bytes), start_(start), length_(length) {}
    bool Has(size_t offset, size_t count) const { return offset <= length_ && count <= length_ - offset; }
    UInt32 Get(size_t offset, int count) const {
        UInt32 value = 0;
        for (int i = 0; i < count; ++i) value = (value << 8) | bytes_[start_ + offset + i];
        return value;
    }

private:
    const std::vector<UInt8>& bytes_;
    size_t start_;
    size_t length_;
};

void Put(std::vector<UInt8>& out, size_t offset, UInt32 value, int count) {
    for (int i = 0; i < count; ++i) out[offset + i] = static_cast<UInt8>(value >> (8 * (count - 1 - i)));
}

void Append(std::vector<UInt8>& out, UInt32 value, int count) {
    out.resize(out.size() + count);
    Put(out, out.size() - count, value, count);
}

struct Layout {
    size_t dataOffset, mapOffset, dataLength, mapLength;
};

std::optional<Layout> ReadLayout(const std::vector<UInt8>& bytes) {
    const Reader file(bytes, 0, bytes.size());
    if (!file.Has(0, kHeaderSize)) return std::nullopt;
    const Layout layout{file.Get(0, 4), file.Get(4, 4), file.Get(8, 4), file.Get(12, 4)};
    if (!file.Has(layout.dataOffset, layout.dataLength) || !file.Has(layout.mapOffset, layout.mapLength) ||
        layout.mapLength < kMapHeaderSize + 2)
        return std::nullopt;
    return layout;
}

// One reference: its data in the data area and its name in the name list.
bool ReadReference(const Reader& map, size_t refOffset, size_t nameList, const Reader& data, ResourceEntry& entry) {
    if (!map.Has(refOffset, kRefEntrySize)) return false;
    entry.id = static_cast<ResID>(map.Get(refOffset, 2));
    const auto nameOffset = static_cast<UInt16>(map.Get(refOffset + 2, 2));
    entry.attributes = static_cast<UInt8>(map.Get(refOffset + 4, 1));
    const size_t dataOffset = map.Get(refOffset + 5, 3);
    if (!data.Has(dataOffset, 4)) return false;
    const size_t length = data.Get(dataOffset, 4);
    if (!data.Has(dataOffset + 4, length)) return false;
    entry.data.resize(length);
    for (size_t i = 0; i < length; ++i) entry.data[i] = static_cast<UInt8>(data.Get(dataOffset + 4 + i, 1));
    entry.hasName = nameOffset != kNoName;
    if (entry.hasName) {
        const size_t at = nameList + nameOffset;
        if (!map.Has(at, 1) || !map.Has(at + 1, map.Get(at, 1))) return false;
        entry.name.clear();
        for (size_t i = 0, n = map.Get(at, 1); i < n; ++i) entry.name += static_cast<char>(map.Get(at + 1 + i, 1));
    }
    return true;
}

}  // namespace

std::optional<std::vector<ResourceEntry>> ParseResourceFile(const std::vector<UInt8>& bytes) {
    std::vector<ResourceEntry> entries;
    if (bytes.empty()) return entries;
    if (bytes.size() > kMaxResourceFileSize) return std::nullopt;
    const auto layout = ReadLayout(bytes);
    if (!layout) return std::nullopt;
    const Reader map(bytes, layout->mapOffset, layout->mapLength);
    const Reader data(bytes, layout->dataOffset, layout->dataLength);
    const size_t typeList = map.Get(24, 2);
    const size_t nameList = map.Get(26, 2);
    if (!map.Has(typeList, 2) || !map.Has(nameList, 0)) return std::nullopt;
    const size_t typeCount = (map.Get(typeList, 2) + 1) & 0xFFFF;
    for (size_t t = 0; t < typeCount; ++t) {
        const size_t typeEntry = typeList + 2 + t * kTypeEntrySize;
        if (!map.Has(typeEntry, kTypeEntrySize)) return std::nullopt;
        const ResType type = map.Get(typeEntry, 4);
        const size_t refCount = (map.Get(typeEntry + 4, 2) + 1) & 0xFFFF;
        const size_t refList = typeList + map.Get(typeEntry + 6, 2);
        for (size_t r = 0; r < refCount; ++r) {
            ResourceEntry entry;
            entry.type = type;
            if (!ReadReference(map, refList + r * kRefEntrySize, nameList, data, entry)) return std::nullopt;
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

std::optional<std::vector<UInt8>> EncodeResourceFile(const std::vector<ResourceEntry>& entries) {
    std::vector<ResType> types;
    for (const ResourceEntry& entry : entries) {
        if (std::find(types.begin(), types.end(), entry.type) == types.end()) types.push_back(entry.type);
    }
    std::vector<UInt8> file(kDataStart, 0);
    std::vector<UInt8> typeList, refLists, names;
    Append(typeList, static_cast<UInt32>(types.size() - 1) & 0xFFFF, 2);
    const size_t refListsStart = 2 + types.size() * kTypeEntrySize;
    for (ResType type : types) {
        const auto count = std::count_if(entries.begin(), entries.end(), [&](auto& e) { return e.type == type; });
        if (count > 0xFFFF || refListsStart + refLists.size() > 0xFFFF) return std::nullopt;
        Append(typeList, type, 4);
        Append(typeList, static_cast<UInt32>(count - 1), 2);
        Append(typeList, static_cast<UInt32>(refListsStart + refLists.size()), 2);
        for (const ResourceEntry& entry : entries) {
            if (entry.type != type) continue;
            const size_t dataOffset = file.size() - kDataStart;
            if (dataOffset > 0xFFFFFF || names.size() >= kNoName || entry.name.size() > 255) return std::nullopt;
            Append(refLists, static_cast<UInt16>(entry.id), 2);
            Append(refLists, entry.hasName ? static_cast<UInt32>(names.size()) : kNoName, 2);
            Append(refLists, entry.attributes, 1);
            Append(refLists, static_cast<UInt32>(dataOffset), 3);
            Append(refLists, 0, 4);
            Append(file, static_cast<UInt32>(entry.data.size()), 4);
            file.insert(file.end(), entry.data.begin(), entry.data.end());
            if (entry.hasName) {
                names.push_back(static_cast<UInt8>(entry.name.size()));
                names.insert(names.end(), entry.name.begin(), entry.name.end());
            }
        }
    }
    const size_t dataLength = file.size() - kDataStart;
    const size_t mapOffset = file.size();
    const size_t nameListOffset = kMapHeaderSize + typeList.size() + refLists.size();
    const size_t mapLength = nameListOffset + names.size();
    if (nameListOffset > 0xFFFF || file.size() + mapLength > kMaxResourceFileSize) return std::nullopt;
    file.resize(mapOffset + kMapHeaderSize, 0);
    for (size_t at : {size_t{0}, mapOffset}) {
        Put(file, at, kDataStart, 4);
        Put(file, at + 4, static_cast<UInt32>(mapOffset), 4);
        Put(file, at + 8, static_cast<UInt32>(dataLength), 4);
        Put(file, at + 12, static_cast<UInt32>(mapLength), 4);
    }
    Put(file, mapOffset + 24, kMapHeaderSize, 2);
    Put(file, mapOffset + 26, static_cast<UInt32>(nameListOffset), 2);
    file.insert(file.end(), typeList.begin(), typeList.end());
    file.insert(file.end(), refLists.begin(), refLists.end());
    file.insert(file.end(), names.begin(), names.end());
    return file;
}

}  // namespace mvres
