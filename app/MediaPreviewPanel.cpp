#include "app/MediaPreviewPanel.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/FormSupport.h"
#include "library/MediaPreview.h"
#include "platform/VlcMediaPlayer.h"

namespace qv {

MediaPreviewPanel::MediaPreviewPanel(QWidget* parent, const std::vector<std::string>& playerArgs)
    : QWidget(parent) {
    video_ = new QWidget(this);
    video_->setObjectName("MediaPlayer");
    // libVLC draws into this widget's own X window. It stays the only native one: made native by default,
    // its ancestors and their children would each become an X window too, each created with a round trip
    // and exposed and painted on its own.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    video_->setAttribute(Qt::WA_DontCreateNativeAncestors);
    video_->setAttribute(Qt::WA_NativeWindow);
    video_->setAutoFillBackground(true);
    video_->setPalette(QPalette(Qt::black));
    video_->setMinimumSize(160, 120);

    LeftButton = new QPushButton(QString::fromUtf8("左"), this);
    MiddleButton = new QPushButton(QString::fromUtf8("中"), this);
    RightButton = new QPushButton(QString::fromUtf8("右"), this);
    LeftButton->setObjectName("LeftButton");
    MiddleButton->setObjectName("MiddleButton");
    RightButton->setObjectName("RightButton");
    connect(LeftButton, &QPushButton::clicked, this, &MediaPreviewPanel::LeftButtonClick);
    connect(MiddleButton, &QPushButton::clicked, this, &MediaPreviewPanel::MiddleButtonClick);
    connect(RightButton, &QPushButton::clicked, this, &MediaPreviewPanel::RightButtonClick);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LeftButton);
    buttons->addWidget(MiddleButton);
    buttons->addWidget(RightButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(video_, 1);
    layout->addLayout(buttons);

    // libVLC takes most of a second and tens of megabytes to start: it starts on the first preview.
    player_ = std::make_unique<LazyMediaPlayer>([this, playerArgs]() -> std::unique_ptr<MediaPlayer> {
        auto vlc = std::make_unique<VlcMediaPlayer>(playerArgs);
        // libVLC draws into X11 windows only; elsewhere (offscreen tests) it keeps its own output.
        if (QGuiApplication::platformName() == "xcb") vlc->SetWindow(video_->winId());
        return vlc;
    });
    // libVLC tells of an unplayable file on its own thread; the box is shown on the window's.
    player_->SetErrorHandler([this](const std::string& path) {
        QMetaObject::invokeMethod(
            this, [path] { ReportUnplayable(path); }, Qt::QueuedConnection);
    });
    SetPreviewPlayer(player_.get());
}

MediaPreviewPanel::~MediaPreviewPanel() {
    if (PreviewPlayer() == player_.get()) SetPreviewPlayer(nullptr);
    player_->SetErrorHandler({});
    player_->Close();
}

void MediaPreviewPanel::LeftButtonClick() { SetPreviewBalance(-100); }
void MediaPreviewPanel::MiddleButtonClick() { SetPreviewBalance(0); }
void MediaPreviewPanel::RightButtonClick() { SetPreviewBalance(100); }

void MediaPreviewPanel::PlayButtonClick() {
    if (auto* button = qobject_cast<QAbstractButton*>(sender())) PlaySongByNumber(ToBig5(button->text()));
}

}  // namespace qv
