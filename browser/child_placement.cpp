#include "browser/child_placement.h"

#include "db/session.h"
#include "engine/conversions.h"
#include "platform/widgets/form_helpers.h"

#include <QWidget>

namespace veranth::browser {
namespace {

QWidget* Frame(QWidget* window) { return window->parentWidget() && window->parentWidget()->inherits("QMdiSubWindow") ? window->parentWidget() : window; }

}  // namespace

void RestoreChildPlacement(db::Session& session, QWidget* window, const PlacementKeys& keys) {
    const auto twips = [&](const char* key, const char* defaultText) {
        return platform::TwipsToPixels(window, engine::val(session.Store().GetUserSetting(QLatin1String(key), QLatin1String(defaultText))));
    };
    Frame(window)->setGeometry(twips(keys.left, keys.leftDefault), twips(keys.top, keys.topDefault), twips(keys.width, keys.widthDefault),
                               twips(keys.height, keys.heightDefault));
}

void SaveChildPlacement(db::Session& session, QWidget* window, const PlacementKeys& keys) {
    QWidget* frame = Frame(window);
    if (frame->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) return;
    const auto save = [&](const char* key, int pixels) {
        session.Store().SaveUserSetting(QLatin1String(key), platform::FormatSettingNumber(platform::PixelsToTwips(window, pixels)));
    };
    save(keys.top, frame->y());
    save(keys.left, frame->x());
    save(keys.width, frame->width());
    save(keys.height, frame->height());
}

}  // namespace veranth::browser
