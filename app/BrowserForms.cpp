#include "app/BrowserForms.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLibrary>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include "library/ServerMessage.h"

// Exported by Qt GUI without a public declaration; Qt WebEngine sets it the same way.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace qv {

namespace {

using CreateWebViewFunction = QWidget* (*)(QWidget* parent);

// Loads the web view module (and Qt WebEngine with it) on the first page. Qt WebEngine shares its textures
// through the application's global OpenGL context, which it makes itself only when it is loaded with the
// program: here it is made just before.
CreateWebViewFunction WebViewFactory() {
    static const CreateWebViewFunction create = []() -> CreateWebViewFunction {
        if (!QOpenGLContext::globalShareContext()) {
            auto* shared = new QOpenGLContext(qApp);
            shared->setFormat(QSurfaceFormat::defaultFormat());
            if (shared->create()) {
                qt_gl_set_global_share_context(shared);
                QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
            } else {
                delete shared;
            }
        }
        QString why;
        for (const QString& path : {QCoreApplication::applicationDirPath() + "/libqv_webview.so",
                                    QStringLiteral(QV_WEBVIEW_MODULE)}) {
            QLibrary module(path);
            if (auto create = reinterpret_cast<CreateWebViewFunction>(module.resolve("qv_CreateWebView")))
                return create;
            why += "\n" + module.errorString();
        }
        qWarning("the web view module could not be loaded; pages stay empty:%s", qPrintable(why));
        return nullptr;
    }();
    return create;
}

}  // namespace


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
    const CreateWebViewFunction create = WebViewFactory();
    // Without the module the window still opens, with an empty page.
    WebBrowser1 = create ? create(this) : new QWidget(this);
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
    if (FetchPageForBrowser(url)) WebBrowser1->setProperty("url", QUrl(QString::fromStdString(url)));
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
