// Writes one face of an OpenType collection (.ttc) as a font file of its own.
// Debian ships Noto Sans CJK, the same design as Source Han Sans, only as a
// collection of its regional faces; the program wants the one Chinese face.
//
// usage: ExtractFace <collection.ttc> <family name> <output file>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<unsigned char>;

uint32_t read32(const Bytes &b, size_t at)
{
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

uint16_t read16(const Bytes &b, size_t at)
{
    return uint16_t(b[at] << 8 | b[at + 1]);
}

void put32(Bytes &b, size_t at, uint32_t v)
{
    b[at] = v >> 24;
    b[at + 1] = v >> 16;
    b[at + 2] = v >> 8;
    b[at + 3] = v;
}

struct Table
{
    uint32_t tag, checksum, offset, length;
};

uint32_t tagOf(const char *s)
{
    return uint32_t(s[0]) << 24 | uint32_t(s[1]) << 16 | uint32_t(s[2]) << 8 | uint32_t(s[3]);
}

uint32_t checksum(const Bytes &b, size_t from, size_t length)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < length; i += 4) {
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k)
            word = word << 8 | (i + k < length ? b[from + i + k] : 0);
        sum += word;
    }
    return sum;
}

bool inRange(const Bytes &b, size_t at, size_t length)
{
    return at <= b.size() && length <= b.size() - at;
}

// The face's tables, or none if its directory does not fit in the file.
std::vector<Table> tablesOf(const Bytes &file, uint32_t faceOffset)
{
    std::vector<Table> tables;
    if (!inRange(file, faceOffset, 12))
        return tables;
    const uint16_t count = read16(file, faceOffset + 4);
    if (!inRange(file, faceOffset + 12, size_t(count) * 16))
        return tables;
    for (uint16_t i = 0; i < count; ++i) {
        const size_t r = faceOffset + 12 + size_t(i) * 16;
        const Table t{read32(file, r), read32(file, r + 4), read32(file, r + 8), read32(file, r + 12)};
        if (!inRange(file, t.offset, t.length))
            return {};
        tables.push_back(t);
    }
    return tables;
}

// True if the name table holds `family` as a Windows Unicode family name (id 1).
bool hasFamily(const Bytes &file, const std::vector<Table> &tables, const std::string &family)
{
    for (const Table &t : tables) {
        if (t.tag != tagOf("name") || t.length < 6)
            continue;
        const uint16_t count = read16(file, t.offset + 2);
        const uint32_t strings = t.offset + read16(file, t.offset + 4);
        for (uint16_t i = 0; i < count && size_t(6 + (i + 1) * 12) <= t.length; ++i) {
            const size_t r = t.offset + 6 + size_t(i) * 12;
            if (read16(file, r) != 3 || read16(file, r + 2) != 1 || read16(file, r + 6) != 1)
                continue;
            const uint16_t length = read16(file, r + 8);
            const size_t at = strings + read16(file, r + 10);
            if (length != family.size() * 2 || !inRange(file, at, length))
                continue;
            bool same = true;
            for (size_t k = 0; k < family.size() && same; ++k)
                same = file[at + 2 * k] == 0 && file[at + 2 * k + 1] == (unsigned char)family[k];
            if (same)
                return true;
        }
    }
    return false;
}

Bytes standalone(const Bytes &file, uint32_t faceOffset, const std::vector<Table> &tables)
{
    const size_t count = tables.size();
    Bytes out(12 + count * 16, 0);
    // Offset table: the face's own version and search fields.
    std::copy(file.begin() + faceOffset, file.begin() + faceOffset + 12, out.begin());
    size_t headAt = 0;
    for (size_t i = 0; i < count; ++i) {
        const Table &t = tables[i];
        const size_t at = out.size();
        out.insert(out.end(), file.begin() + t.offset, file.begin() + t.offset + t.length);
        out.resize((out.size() + 3) & ~size_t(3), 0);
        const size_t r = 12 + i * 16;
        put32(out, r, t.tag);
        put32(out, r + 4, t.checksum);
        put32(out, r + 8, uint32_t(at));
        put32(out, r + 12, t.length);
        if (t.tag == tagOf("head") && t.length >= 12)
            headAt = at;
    }
    if (headAt) {
        put32(out, headAt + 8, 0);
        put32(out, headAt + 8, 0xB1B0AFBAu - checksum(out, 0, out.size()));
    }
    return out;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <collection.ttc> <family name> <output file>\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < 12 || read32(file, 0) != tagOf("ttcf")) {
        std::fprintf(stderr, "%s: not a font collection\n", argv[1]);
        return 1;
    }
    const uint32_t faces = read32(file, 8);
    for (uint32_t i = 0; i < faces && inRange(file, 12 + size_t(i) * 4, 4); ++i) {
        const uint32_t offset = read32(file, 12 + size_t(i) * 4);
        const std::vector<Table> tables = tablesOf(file, offset);
        if (tables.empty() || !hasFamily(file, tables, argv[2]))
            continue;
        const Bytes out = standalone(file, offset, tables);
        std::ofstream os(argv[3], std::ios::binary | std::ios::trunc);
        os.write(reinterpret_cast<const char *>(out.data()), std::streamsize(out.size()));
        os.close();
        if (!os) {
            std::fprintf(stderr, "%s: cannot write\n", argv[3]);
            return 1;
        }
        return 0;
    }
    std::fprintf(stderr, "%s: no face of the family \"%s\"\n", argv[1], argv[2]);
    return 1;
}
