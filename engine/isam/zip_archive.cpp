#include "engine/isam/zip_archive.h"

#include "engine/isam/isam_errors.h"

#include <zip.h>

namespace veranth::engine::isam {

namespace {
// No part of a workbook this engine reads comes near this; a larger one is a zip bomb.
constexpr zip_uint64_t kLargestEntry = 512ull * 1024 * 1024;
}  // namespace

struct ZipArchive::State {
    zip_t* archive = nullptr;
};

ZipArchive::ZipArchive(const QString& path, QByteArray bytes) : path_(path), bytes_(std::move(bytes)), state_(std::make_unique<State>()) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes_.constData(), static_cast<zip_uint64_t>(bytes_.size()), 0, &error);
    if (source) {
        state_->archive = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (!state_->archive) zip_source_free(source);
    }
    if (!state_->archive) {
        const QString why = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        throw malformedFile(path_, QStringLiteral("it is not a readable zip container (%1)").arg(why));
    }
    zip_error_fini(&error);
}

ZipArchive::~ZipArchive() {
    if (state_->archive) zip_discard(state_->archive);
}

bool ZipArchive::contains(const QString& name) const {
    return zip_name_locate(state_->archive, name.toUtf8().constData(), ZIP_FL_NOCASE) >= 0;
}

std::optional<QByteArray> ZipArchive::read(const QString& name) const {
    const zip_int64_t index = zip_name_locate(state_->archive, name.toUtf8().constData(), ZIP_FL_NOCASE);
    if (index < 0) return std::nullopt;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(state_->archive, static_cast<zip_uint64_t>(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        throw malformedFile(path_, QStringLiteral("its part '%1' cannot be read").arg(name));
    if (st.size > kLargestEntry) throw malformedFile(path_, QStringLiteral("its part '%1' claims to be larger than 512 MB").arg(name));
    zip_file_t* file = zip_fopen_index(state_->archive, static_cast<zip_uint64_t>(index), 0);
    if (!file) throw malformedFile(path_, QStringLiteral("its part '%1' cannot be opened (%2)").arg(name, QString::fromUtf8(zip_strerror(state_->archive))));
    QByteArray out;
    out.resize(static_cast<qsizetype>(st.size));
    zip_int64_t got = 0;
    while (got < static_cast<zip_int64_t>(st.size)) {
        const zip_int64_t n = zip_fread(file, out.data() + got, st.size - static_cast<zip_uint64_t>(got));
        if (n <= 0) break;
        got += n;
    }
    // A stored size that is a lie, or a damaged compressed stream.
    char extra;
    const bool overlong = got == static_cast<zip_int64_t>(st.size) && zip_fread(file, &extra, 1) > 0;
    zip_fclose(file);
    if (got != static_cast<zip_int64_t>(st.size) || overlong)
        throw malformedFile(path_, QStringLiteral("its part '%1' is damaged").arg(name));
    return out;
}

}  // namespace veranth::engine::isam
