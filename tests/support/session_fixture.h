#pragma once

#include "db/session.h"
#include "platform/scripted_prompter.h"
#include "platform/status_sink.h"
#include "tests/support/temp_env.h"

namespace veranth::testing {

// A session on a private settings store and site directory, answering prompts from a script.
struct SessionFixture {
    TempDir dir;
    ScopedEnv siteEnv{"VERANTH_SITE_DIR", dir.Path() + QStringLiteral("/site")};
    platform::ScriptedPrompter prompter;
    platform::RecordingStatusSink status;
    db::Session session{prompter, status, platform::SettingsStore(dir.Path() + QStringLiteral("/config"))};

    QString SiteDir() const { return dir.Path() + QStringLiteral("/site"); }
    // Writes the site profile.
    void WriteSiteProfile(const QByteArray& text) const { dir.Write(QStringLiteral("site/QOR32.INI"), text); }
    void Store(const QString& key, const QString& value) { session.Store().SaveUserSetting(key, value); }
    QString Stored(const QString& key) const { return session.Store().GetUserSetting(key, QStringLiteral("<absent>")); }
};

}  // namespace veranth::testing
