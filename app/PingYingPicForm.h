#pragma once
#include <QDialog>

class QLabel;

namespace qv {

// The pinyin letter chart: a borderless window showing the chart picture; a click on the invisible
// close area in its top right corner closes it.
class TPingYingPicForm : public QDialog {
    Q_OBJECT
public:
    explicit TPingYingPicForm(QWidget* parent = nullptr);

    // Sizes the window to the picture and places the close area for the screen's dots per inch.
    void PlaceForScreen(int screenDpi);

    QLabel* Image1;  // the chart
    QLabel* Image2;  // the close area

    static constexpr int ChartWidth = 576;
    static constexpr int ChartHeight = 553;
    static constexpr QRect DesignedCloseArea{513, 31, 40, 38};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

// Menu command "QV拼音法與英文字母對照表": shows the chart modally.
void QV1Click(QWidget* parent, int screenDpi);

}  // namespace qv
