#include "app/main_window.h"

#include "platform/widgets/form_helpers.h"

#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>

namespace veranth::app {

FrmMDI::FrmMDI(QWidget* parent) : QMainWindow(parent), mdiArea_(new QMdiArea(this)) {
    setObjectName(QStringLiteral("frmMDI"));
    setWindowTitle(QStringLiteral("Corvane - Veranth"));
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(mdiArea_);

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("stsStatusBar"));
    panel1_ = new QLabel(QStringLiteral("Ready"), bar);
    panel2_ = new QLabel(bar);
    bar->addWidget(panel1_, 1);
    bar->addPermanentWidget(panel2_);
    setStatusBar(bar);

    // The window's first size before any stored placement exists: 9135 x 6900 twips.
    resize(platform::TwipsToPixels(this, 9135), platform::TwipsToPixels(this, 6900));
}

void FrmMDI::SetStatusText(int panel, const QString& text) { (panel == 2 ? panel2_ : panel1_)->setText(text); }

}  // namespace veranth::app
