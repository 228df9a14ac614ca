#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <zip.h>

#include <utility>
#include <vector>

namespace veranth::engine::isam::testing {

// Writes a zip file of the given parts, for .xlsx workbooks laid out by hand.
inline bool writeZip(const QString& path, const std::vector<std::pair<const char*, QByteArray>>& parts) {
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z) return false;
    for (const auto& [name, bytes] : parts) {
        // libzip reads the buffer when the archive is closed, so each part is copied for it.
        void* copy = std::malloc(static_cast<size_t>(bytes.size()) + 1);
        std::memcpy(copy, bytes.constData(), static_cast<size_t>(bytes.size()));
        zip_source_t* s = zip_source_buffer(z, copy, static_cast<zip_uint64_t>(bytes.size()), 1);
        if (!s || zip_file_add(z, name, s, ZIP_FL_OVERWRITE) < 0) {
            zip_discard(z);
            return false;
        }
    }
    return zip_close(z) == 0;
}

// The smallest workbook: one sheet part given as its sheetData, with optional shared strings,
// styles and workbook properties and names.
inline bool writeXlsx(const QString& path, const QByteArray& sheetData, const QByteArray& sharedStrings = QByteArray(),
                      const QByteArray& cellXfs = QByteArray(), const QByteArray& workbookExtra = QByteArray(),
                      const QByteArray& sheetName = "Data") {
    const QByteArray ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    const QByteArray rns = "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
    std::vector<std::pair<const char*, QByteArray>> parts = {
        {"_rels/.rels",
         "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
         "Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml", "<?xml version=\"1.0\"?><workbook " + ns + " " + rns + ">" + workbookExtra + "<sheets><sheet name=\"" +
                                sheetName + "\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
         "Target=\"worksheets/sheet1.xml\"/>"
         "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
         "Target=\"sharedStrings.xml\"/>"
         "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
         "Target=\"styles.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml", "<?xml version=\"1.0\"?><worksheet " + ns + "><sheetData>" + sheetData + "</sheetData></worksheet>"},
    };
    if (!sharedStrings.isEmpty()) parts.push_back({"xl/sharedStrings.xml", "<?xml version=\"1.0\"?><sst " + ns + ">" + sharedStrings + "</sst>"});
    if (!cellXfs.isEmpty()) parts.push_back({"xl/styles.xml", "<?xml version=\"1.0\"?><styleSheet " + ns + ">" + cellXfs + "</styleSheet>"});
    return writeZip(path, parts);
}

}  // namespace veranth::engine::isam::testing
