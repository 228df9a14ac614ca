#pragma once

#include <QString>

namespace veranth::engine {
class DBEngine;
}

namespace veranth::cli {

// Creates a demo Corvane site in `dir`: the site profile QOR32.INI (Access storage, folders inside
// the site), the folders it names, the Corvane databases in them filled with a sample firm, and
// the security file. An existing profile is
// never overwritten: a site that exists is a real one until proven otherwise. Returns false and
// says why in `error`.
bool CreateDemoSite(engine::DBEngine& engine, const QString& dir, QString* error);

}  // namespace veranth::cli
