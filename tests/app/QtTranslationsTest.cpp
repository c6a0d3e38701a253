#include <QFileDialog>
#include <QPushButton>
#include <QDialogButtonBox>
#include <QtTest>

#include "app/QtTranslations.h"

class QtTranslationsTest : public QObject {
    Q_OBJECT
private slots:
    void qtsOwnDialogsSpeakTraditionalChinese() {
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancel"));
        QVERIFY(qv::InstallQtTranslations(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("取消"));
        QVERIFY(QCoreApplication::translate("QFileDialog", "Look in:") != QString("Look in:"));

        // A standard dialog's buttons come out translated.
        QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QString("取消"));
        QFileDialog chooser(nullptr, QString(), QString());
        chooser.setOption(QFileDialog::DontUseNativeDialog);
        chooser.setFileMode(QFileDialog::Directory);
        const auto boxes = chooser.findChildren<QDialogButtonBox*>();
        QVERIFY(!boxes.isEmpty());
        QCOMPARE(boxes.front()->button(QDialogButtonBox::Cancel)->text(), QString("取消"));
    }
};

QTEST_MAIN(QtTranslationsTest)
#include "QtTranslationsTest.moc"
