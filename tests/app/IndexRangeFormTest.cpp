#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/IndexRangeForm.h"
#include "app/QtUserInterface.h"
#include "catalogue/Big5Codec.h"
#include "support/FakeUserInterface.h"
#include "support/ModalAnswer.h"

using qv::TIndexRangeForm;

class IndexRangeFormTest : public QObject {
    Q_OBJECT

    static void Type(TIndexRangeForm& form, const QString& start, const QString& end) {
        form.StartEdit->clear();
        form.EndEdit->clear();
        QTest::keyClicks(form.StartEdit, start);
        QTest::keyClicks(form.EndEdit, end);
    }

private slots:
    void editsTakeAtMostFiveDigits() {
        TIndexRangeForm form;
        form.show();
        QTest::keyClicks(form.StartEdit, "1a2-b 34567");
        QCOMPARE(form.StartEdit->text(), QString("12345"));
        // Full: backspace still works, then one digit fits again.
        QTest::keyClick(form.StartEdit, Qt::Key_Backspace);
        QTest::keyClicks(form.StartEdit, "98");
        QCOMPARE(form.StartEdit->text(), QString("12349"));
        // A digit typed over a selection of a full edit is refused too.
        form.StartEdit->selectAll();
        QTest::keyClicks(form.StartEdit, "7");
        QCOMPARE(form.StartEdit->text(), QString("12349"));
        // Moving and deleting keys are not typing.
        QTest::keyClick(form.StartEdit, Qt::Key_Home);
        QTest::keyClick(form.StartEdit, Qt::Key_Delete);
        QCOMPARE(form.StartEdit->text(), QString("2349"));
    }

    void pastedTextStaysDigits() {
        TIndexRangeForm form;
        QApplication::clipboard()->setText("12ab");
        form.EndEdit->paste();
        QCOMPARE(form.EndEdit->text(), QString());
        QApplication::clipboard()->setText("123456");
        form.EndEdit->paste();
        QCOMPARE(form.EndEdit->text(), QString());
        QApplication::clipboard()->setText("042");
        form.EndEdit->paste();
        QCOMPARE(form.EndEdit->text(), QString("042"));
    }

    void okChecksTheRangeAndStaysOpen_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("error");
        QTest::newRow("no start") << ""
                                  << "5"
                                  << "請輸出起始編號!";
        QTest::newRow("no end") << "5"
                                << ""
                                << "請輸出結束編號!";
        QTest::newRow("end below start") << "100"
                                         << "50"
                                         << "結束編號比起始編號小!";
        QTest::newRow("compared as numbers") << "00210"
                                             << "150"
                                             << "結束編號比起始編號小!";
    }
    void okChecksTheRangeAndStaysOpen() {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, error);
        qv::test::FakeUserInterface fake;
        TIndexRangeForm form;
        form.show();
        QSignalSpy finished(&form, &QDialog::finished);
        Type(form, start, end);
        QTest::mouseClick(form.OKButton, Qt::LeftButton);
        QCOMPARE(fake.Texts("error"), std::vector<std::string>{error.toStdString()});
        QVERIFY(form.isVisible());
        QCOMPARE(finished.count(), 0);
        QVERIFY(form.RangeStartNo.isEmpty());
    }

    void okKeepsTheTextsAsTyped() {
        qv::test::FakeUserInterface fake;
        TIndexRangeForm form;
        form.show();
        Type(form, "00150", "00210");
        QTest::mouseClick(form.OKButton, Qt::LeftButton);
        QVERIFY(fake.shown.empty());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(form.RangeStartNo, QString("00150"));
        QCOMPARE(form.RangeEndNo, QString("00210"));

        // Numbers, not texts: 9 comes before 10; one song alone is a range.
        for (auto [s, e] : {std::pair{"9", "10"}, std::pair{"7", "7"}}) {
            TIndexRangeForm other;
            other.show();
            Type(other, s, e);
            QTest::mouseClick(other.OKButton, Qt::LeftButton);
            QCOMPARE(other.result(), int(QDialog::Accepted));
        }
        QVERIFY(fake.shown.empty());
    }

    void cancelLeavesTheRangeUnset() {
        TIndexRangeForm form;
        form.show();
        Type(form, "1", "2");
        QTest::mouseClick(form.CancelButton, Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(form.RangeStartNo.isEmpty() && form.RangeEndNo.isEmpty());
    }

    void askIndexRangeAnswersThroughTheModalDialog() {
        qv::QtUserInterface ui;
        std::string from = "keep", to = "keep";

        bool typed = false;
        qv::test::WhenModal([&](QWidget* modal) {
            auto* form = qobject_cast<TIndexRangeForm*>(modal);
            if (!form) {
                modal->close();
                return;
            }
            typed = true;
            QTest::keyClicks(form->StartEdit, "00150");
            QTest::keyClicks(form->EndEdit, "00210");
            QTest::mouseClick(form->OKButton, Qt::LeftButton);
        });
        QVERIFY(ui.AskIndexRange(from, to));
        QVERIFY(typed);
        QCOMPARE(from, std::string("00150"));
        QCOMPARE(to, std::string("00210"));

        qv::test::WhenModal([](QWidget* modal) {
            auto* form = qobject_cast<TIndexRangeForm*>(modal);
            if (!form) {
                modal->close();
                return;
            }
            QTest::mouseClick(form->CancelButton, Qt::LeftButton);
        });
        QVERIFY(!ui.AskIndexRange(from, to));
        QCOMPARE(from, std::string("00150"));
    }
};

QTEST_MAIN(IndexRangeFormTest)
#include "IndexRangeFormTest.moc"
