#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace veranth::engine::isam::testing {

// A DBF file laid out byte by byte from the format's description, independent of the
// driver's own writer, so reader tests compare against the format rather than themselves.
struct DbfBytes {
    struct Field {
        QByteArray name;
        char type;
        int length;
        int decimals = 0;
    };
    unsigned char version = 0x03;
    unsigned char languageDriver = 0x57;
    std::vector<Field> fields;
    std::vector<QByteArray> records;  // each with its deleted flag first
    bool endMarker = true;

    int recordLength() const {
        int n = 1;
        for (const auto& f : fields) n += f.length;
        return n;
    }
    QByteArray build() const {
        const int headerLength = 32 + 32 * static_cast<int>(fields.size()) + 1;
        QByteArray out(32, '\0');
        out[0] = static_cast<char>(version);
        out[1] = 104;
        out[2] = 4;
        out[3] = 16;
        const auto count = static_cast<unsigned>(records.size());
        for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
        out[8] = static_cast<char>(headerLength & 0xFF);
        out[9] = static_cast<char>(headerLength >> 8);
        out[10] = static_cast<char>(recordLength() & 0xFF);
        out[11] = static_cast<char>(recordLength() >> 8);
        out[29] = static_cast<char>(languageDriver);
        for (const auto& f : fields) {
            QByteArray d(32, '\0');
            for (int i = 0; i < f.name.size() && i < 11; ++i) d[i] = f.name[i];
            d[11] = f.type;
            d[16] = static_cast<char>(f.length);
            d[17] = static_cast<char>(f.decimals);
            out += d;
        }
        out += '\x0D';
        for (const auto& r : records) out += r;
        if (endMarker) out += '\x1A';
        return out;
    }
};

}  // namespace veranth::engine::isam::testing
