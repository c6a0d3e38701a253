#pragma once
// "批量加歌結果": the batch add's report, with a button that saves it to a text file.
#include <QDialog>
#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace qv {

class TSongsResultForm : public QDialog {
    Q_OBJECT
public:
    // lines: the report, Big5.
    explicit TSongsResultForm(const std::vector<std::string>& lines, QWidget* parent = nullptr);

    // Saves the report to the file (Big5, CR LF) and says "存檔完成".
    bool SaveTo(const QString& path);

    QPlainTextEdit* memo = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* saveButton = nullptr;

private:
    std::vector<std::string> lines_;
};

}  // namespace qv
