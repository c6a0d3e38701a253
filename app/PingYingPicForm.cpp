#include "app/PingYingPicForm.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include "app/FormSupport.h"
#include "catalogue/ReadingCodes.h"

namespace qv {
namespace {

// The chart: every Bopomofo symbol with the letter of each pinyin scheme, in keyboard order, two columns.
QPixmap DrawChart() {
    QPixmap picture(TPingYingPicForm::ChartWidth, TPingYingPicForm::ChartHeight);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0xF8, 0xE1));
    p.drawRoundedRect(QRectF(0.5, 0.5, picture.width() - 1, picture.height() - 1), 14, 14);

    QFont font = p.font();
    font.setPixelSize(20);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0x5D, 0x40, 0x37));
    p.drawText(QRect(20, 24, 480, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("QV拼音法與英文字母對照表"));
    // The close mark under the invisible close area.
    const QRect close = TPingYingPicForm::DesignedCloseArea.adjusted(8, 8, -8, -8);
    p.setPen(QPen(QColor(0xB7, 0x1C, 0x1C), 3));
    p.drawLine(close.topLeft(), close.bottomRight());
    p.drawLine(close.topRight(), close.bottomLeft());

    const auto rows = PinyinLetterChart();
    const int top = 84, rowHeight = 24, perColumn = (static_cast<int>(rows.size()) + 1) / 2;
    const int columnWidth = 268, left = 20;
    const int cells[] = {0, 64, 128, 196};  // symbol, key, QV, CN
    font.setPixelSize(15);
    for (int col = 0; col < 2; ++col) {
        int x = left + col * columnWidth;
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(0x37, 0x47, 0x4F));
        const QString titles[] = {QStringLiteral("注音"), QStringLiteral("按鍵"), QStringLiteral("QV"),
                                  QStringLiteral("漢語")};
        for (int c = 0; c < 4; ++c)
            p.drawText(QRect(x + cells[c], top - rowHeight - 4, 64, rowHeight), Qt::AlignCenter, titles[c]);
        font.setBold(false);
        p.setFont(font);
        for (int r = 0; r < perColumn; ++r) {
            int i = col * perColumn + r;
            if (i >= static_cast<int>(rows.size())) break;
            const auto& row = rows[i];
            int y = top + r * rowHeight;
            if (r % 2 == 0) p.fillRect(QRect(x, y, columnWidth - 12, rowHeight), QColor(0xFF, 0xEC, 0xB3));
            const QString texts[] = {FromBig5(row.bopomofo), QString(QChar(row.key)),
                                     QString(QChar(row.qvLetter)), QString(QChar(row.cnLetter))};
            for (int c = 0; c < 4; ++c)
                p.drawText(QRect(x + cells[c], y, 64, rowHeight), Qt::AlignCenter, texts[c]);
        }
    }
    return picture;
}

}  // namespace

TPingYingPicForm::TPingYingPicForm(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName("PingYingPicForm");
    setAttribute(Qt::WA_TranslucentBackground);
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(DrawChart());
    Image1->setGeometry(0, 0, ChartWidth, ChartHeight);
    Image2 = new QLabel(this);
    Image2->setObjectName("Image2");
    Image2->setGeometry(DesignedCloseArea);
    Image2->setCursor(Qt::PointingHandCursor);
    Image2->installEventFilter(this);
    setFixedSize(ChartWidth, ChartHeight);
}

void TPingYingPicForm::PlaceForScreen(int screenDpi) {
    setFixedSize(Image1->size());
    if (screenDpi <= 0) return;
    Image2->move(DesignedCloseArea.left() * 96 / screenDpi, DesignedCloseArea.top() * 96 / screenDpi);
}

bool TPingYingPicForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Image2 && event->type() == QEvent::MouseButtonRelease) {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TPingYingPicForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
}

void QV1Click(QWidget* parent, int screenDpi) {
    TPingYingPicForm form(parent);
    form.PlaceForScreen(screenDpi);
    form.exec();
}

}  // namespace qv
