#include "platform/status_sink.h"

#include <QStringList>

namespace veranth::platform {

void RecordingStatusSink::SetPanelText(int panel, const QString& text) {
    (panel == 2 ? panel2_ : panel1_) = text;
    history_.append(text);
}

}  // namespace veranth::platform
