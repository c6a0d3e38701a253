#include "app/BrowserForms.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "library/ServerMessage.h"

namespace qv {

bool IsRightClickOnBrowser(const QWidget* browser, const QObject* target, const QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            break;
        default:
            return false;
    }
    if (static_cast<const QMouseEvent*>(event)->button() != Qt::RightButton) return false;
    if (!target->isWidgetType()) return false;
    const auto* widget = static_cast<const QWidget*>(target);
    return widget == browser || browser->isAncestorOf(widget);
}

BrowserDialog::BrowserDialog(QWidget* parent) : QDialog(parent) {
    WebBrowser1 = new QWebEngineView(this);
    WebBrowser1->setObjectName("WebBrowser1");
    qApp->installEventFilter(this);
}

BrowserDialog::~BrowserDialog() { qApp->removeEventFilter(this); }

bool BrowserDialog::eventFilter(QObject* target, QEvent* event) {
    return IsRightClickOnBrowser(WebBrowser1, target, event) || QDialog::eventFilter(target, event);
}

void BrowserDialog::CentreOnDesktop() {
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void BrowserDialog::Navigate(const std::string& url) {
    if (FetchPageForBrowser(url)) WebBrowser1->load(QUrl(QString::fromStdString(url)));
}

TMessageHtmlForm::TMessageHtmlForm(QWidget* parent) : BrowserDialog(parent) {
    setObjectName("MessageHtmlForm");
    setWindowTitle(QStringLiteral("訊息視窗"));
    setFixedSize(642, 536);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(0, 0, 642, 482);
    Panel1->setFrameShape(QFrame::StyledPanel);
    WebBrowser1->setParent(Panel1);
    WebBrowser1->setGeometry(1, 1, 640, 480);

    NotShowCheckBox = new QCheckBox(QStringLiteral("已讀過的訊息，不再出現"), this);
    NotShowCheckBox->setObjectName("NotShowCheckBox");
    NotShowCheckBox->setGeometry(16, 496, 300, 24);
    CloseButton = new QPushButton(QStringLiteral("關閉"), this);
    CloseButton->setObjectName("CloseButton");
    CloseButton->setGeometry(546, 494, 80, 28);
    connect(CloseButton, &QPushButton::clicked, this, &TMessageHtmlForm::CloseButtonClick);

    CentreOnDesktop();
    FormCreate();
}

void TMessageHtmlForm::FormCreate() { Navigate(MessageUrl()); }

void TMessageHtmlForm::CloseButtonClick() {
    if (NotShowCheckBox->isChecked()) StoreReadMessageNo(MessageNo);
    close();
}

TNewFeatureHtmlForm::TNewFeatureHtmlForm(QWidget* parent) : BrowserDialog(parent) {
    setObjectName("NewFeatureHtmlForm");
    setWindowTitle(QStringLiteral("新增功能說明"));
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(WebBrowser1);
    resize(846, 564);

    CentreOnDesktop();
    FormCreate();
}

void TNewFeatureHtmlForm::FormCreate() { Navigate(NewFeatureUrl()); }

bool FinishServerCheckWithWindows(QWidget* owner) {
    return FinishServerCheck([owner] {
        TMessageHtmlForm form(owner);
        form.exec();
    });
}

void N22Click(QWidget* owner) {
    if (!ProbeNewFeaturePage()) return;
    TNewFeatureHtmlForm form(owner);
    form.exec();
}

}  // namespace qv
