#include "app/errors_window.h"

#include "platform/widgets/form_helpers.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace veranth::app {

FrmErrors::FrmErrors(QWidget* parent) : QWidget(parent), list_(new QListWidget(this)) {
    setObjectName(QStringLiteral("frmErrors"));
    setWindowTitle(QStringLiteral("Errors"));
    list_->setObjectName(QStringLiteral("lstErrors"));
    auto* refresh = new QPushButton(QStringLiteral("&Refresh"), this);
    refresh->setObjectName(QStringLiteral("cmdRefresh"));
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setShortcut(Qt::Key_Escape);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(refresh);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(platform::TwipsToPixels(this, 6750), platform::TwipsToPixels(this, 3105));

    connect(refresh, &QPushButton::clicked, this, &FrmErrors::RefreshRequested);
    connect(close, &QPushButton::clicked, this, [this] {
        // Inside the main window's area the frame is the window to close.
        if (parentWidget() && parentWidget()->inherits("QMdiSubWindow")) parentWidget()->close();
        else this->close();
    });
}

void FrmErrors::SetLines(const QStringList& lines) {
    list_->clear();
    list_->addItems(lines);
}

}  // namespace veranth::app
