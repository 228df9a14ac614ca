#pragma once

#include <QString>

namespace veranth::cli {

// Creates a demo Corvane site in `dir`: the site profile QOR32.INI (Access storage, folders inside
// the site) and the folders it names. An existing profile is never overwritten: a site that exists
// is a real one until proven otherwise. Returns false and says why in `error`.
bool CreateDemoSite(const QString& dir, QString* error);

}  // namespace veranth::cli
