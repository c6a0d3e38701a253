#include "app/AboutForm.h"

#include <QLabel>
#include <QPixmap>

#include "app/FormSupport.h"

// The picture lives in a static library's resources: register them before first use.
static void InitFormResources() { Q_INIT_RESOURCE(forms); }

namespace qv {

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    InitFormResources();
    setObjectName("AboutForm");
    setWindowTitle(QStringLiteral("關於歌曲管理程式"));
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    QPixmap picture(QStringLiteral(":/about.png"));
    Image1->setPixmap(picture);
    Image1->setGeometry(0, 0, picture.width(), picture.height());
    // The frame is the window manager's: the client area is exactly the picture.
    setFixedSize(picture.size());
}

void TAboutForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
}

}  // namespace qv
