#pragma once
// Controls of the settings dialog's pages: a radio group with an item index, a colour panel, a validator
// that measures text in Big5 bytes, and the check that typed text can be stored as Big5.
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QValidator>
#include <initializer_list>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QHBoxLayout;
class QScrollArea;

namespace qv {

// Items in one column; ItemIndex -1 when none is checked.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const char* name, const QString& caption, const std::vector<const char*>& items,
                QWidget* parent);
    int ItemIndex() const;
    void SetItemIndex(int index);
    QButtonGroup* Buttons() const { return buttons_; }
    // The line of one item, for controls shown beside it.
    QHBoxLayout* Row(int index) const { return rows_.at(static_cast<size_t>(index)); }

private:
    QButtonGroup* buttons_;
    std::vector<QHBoxLayout*> rows_;
};

// A panel showing a colour (0x00BBGGRR); a click runs the colour dialog and takes the confirmed colour.
class TColorPanel : public QFrame {
    Q_OBJECT
public:
    TColorPanel(const char* name, QWidget* parent);
    int Colour() const { return colour_; }
    void SetColour(int colour);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int colour_ = 0;
};

// At most maxBytes Big5 bytes; a fixed start, when given, cannot be typed away.
class Big5WidthValidator : public QValidator {
public:
    Big5WidthValidator(int maxBytes, QString fixedStart, QObject* parent);
    State validate(QString& input, int& pos) const override;

private:
    int maxBytes_;
    QString fixedStart_;
};

// The text as Big5; false, with a message, when a character has no Big5 code.
bool TypedBig5(const QString& text, std::string& big5);

QCheckBox* NewSetupCheck(const char* name, const char* caption, QWidget* parent);

QComboBox* NewSetupCombo(const char* name, const std::vector<const char*>& items, QWidget* parent,
                         bool editable = false);
// Selects the item equal to the text (typed text kept in an editable combo that lacks it).
void SetComboText(QComboBox* box, const std::string& big5);

// A page of the dialog: its controls on a widget inside a scroll area, so a small screen still reaches all.
QWidget* NewScrollPage(const char* name, QWidget*& content);

}  // namespace qv
