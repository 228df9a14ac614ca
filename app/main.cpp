#include "app/main_window.h"
#include "app/startup.h"
#include "app/status_bar_sink.h"
#include "db/recent_list.h"
#include "db/session.h"
#include "platform/widgets/qt_prompter.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veranth"));

    veranth::platform::QtPrompter prompter;
    veranth::app::StatusBarSink status;
    veranth::engine::DBEngine engine;
    veranth::db::Session session(engine, prompter, status, veranth::platform::SettingsStore(),
                                 veranth::platform::YieldHook([] { QCoreApplication::processEvents(); }));
    const QString warning = veranth::app::LoadSiteConfiguration(session);
    if (!warning.isEmpty()) std::fprintf(stderr, "veranth: %s\n", qPrintable(warning));
    veranth::db::LoadRecentList(session);

    veranth::app::FrmMDI window(session, status);
    prompter.SetParent(&window);
    if (!window.Load()) return 0;
    return QApplication::exec();
}
