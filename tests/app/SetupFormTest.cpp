#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <filesystem>

#include "app/SetupControls.h"
#include "app/SetupForm.h"
#include "app/ZtSetupPage.h"
#include "catalogue/Big5Codec.h"
#include "catalogue/ProgramState.h"
#include "library/Edition.h"
#include "settings/Settings.h"
#include "support/FakeUserInterface.h"
#include "support/ModalAnswer.h"
#include "support/TempFolder.h"

using qv::TSetupForm;
using qv::test::ReadBytes;
using qv::test::WriteBytes;
namespace setup = qv::setup;

class SetupFormTest : public QObject {
    Q_OBJECT

    std::unique_ptr<qv::test::TempFolder> folder_;
    std::unique_ptr<qv::test::FakeUserInterface> ui_;

    std::string Ini() const { return folder_->File("setting.ini"); }
    std::string Zt(const char* name) const { return folder_->File(std::string("000/") + name); }
    static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // On the radio button's mark: a click beside its caption is no click on it.
    static void ClickItem(qv::TRadioGroup* group, int item) {
        QAbstractButton* button = group->Buttons()->button(item);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    static std::vector<QString> TabTexts(const TSetupForm& form) {
        std::vector<QString> texts;
        for (int i = 0; i < form.PageControl1->count(); ++i)
            if (form.PageControl1->isTabVisible(i)) texts.push_back(form.PageControl1->tabText(i));
        return texts;
    }

private slots:
    void init() {
        folder_ = std::make_unique<qv::test::TempFolder>();
        ui_ = std::make_unique<qv::test::FakeUserInterface>();
        std::filesystem::create_directory(folder_->File("000"));
        setup::AppPath = folder_->Path();
        setup::ZtTabEnabled = true;
        setup::SetupScreenDpi = 96;
    }
    void cleanup() {
        ui_.reset();
        folder_.reset();
    }

    void tabsLoadWithoutWritingAndTheFrameWritesNothing() {
        const std::string ini =
            "[Basic Setting]\r\nPingYing=two\r\nSelfDefine2=2\r\nDefaultSongVolumn=3\r\n"
            "[Report Rule]\r\nSingerNameBackground=x\r\nSongReportSongNumPerPage=56\r\n"
            "[Zt Setting]\r\nZtSelectedSongPlayMode=random\r\n[Obrel "
            "Setting]\r\nEnable=yes\r\nPassword=zz\r\n";
        WriteBytes(Ini(), ini);
        {
            TSetupForm form;
            QCOMPARE(TabTexts(form), (std::vector<QString>{"基本設定(Basic Setup)", "QV03系列螢幕選單編輯",
                                                           "輸出歌簿規則(Report Rule)", "ZT點歌機設定",
                                                           "VKM點歌機設定", "歌手資料庫", "雲端歌簿"}));
            QCOMPARE(form.PageControl1->count(), 8);
            QCOMPARE(form.PageControl1->tabText(7), QString("電腦點歌機設定"));
            QCOMPARE(form.PageControl1->currentIndex(), 0);
            QVERIFY(form.size().width() <= 1024 && form.size().height() <= 768);
            // Broken values fall back, the others load.
            QCOMPARE(form.PingYingRadioGroup->ItemIndex(), 0);
            QCOMPARE(form.SelfDefineComboBoxes[1]->currentIndex(), 2);
            QCOMPARE(form.SelfDefineComboBoxes[8]->currentText(), QString("3"));
            QCOMPARE(form.RadioGroup1->ItemIndex(), 0);
            QCOMPARE(form.ReportComboBoxes[4]->currentText(), QString("56"));
            QVERIFY(form.CheckBox14->isChecked());
            QCOMPARE(form.PasswordEdit->text(), QString());
            QCOMPARE(form.ZtPage->ComboBox16->currentIndex(), 1);  // "random" is no mode: REPLAY
            QCOMPARE(setup::ZtSelectedSongPlayMode, std::string("REPLAY"));
            form.show();
            form.close();
            QCOMPARE(form.result(), int(QDialog::Rejected));
        }
        QCOMPARE(ReadBytes(Ini()), ini);
        QVERIFY(!std::filesystem::exists(Zt("MenuTopSet.ztx")));
        QVERIFY(!std::filesystem::exists(folder_->File("singer.bin")));
        QCOMPARE(ui_->Texts("error"), std::vector<std::string>{"找不到singer.bin"});

        setup::ZtTabEnabled = false;
        TSetupForm noZt;
        QVERIFY(noZt.ZtPage == nullptr);
        QCOMPARE(TabTexts(noZt).size(), size_t(6));
        QCOMPARE(noZt.PageControl1->tabText(3), QString("VKM點歌機設定"));
    }

    void commandHandsOverItsContext() {
        const std::string savedAppDir = qv::AppDir;
        qv::AppDir = folder_->Path();
        setup::AppPath.clear();
        qv::SetEdition(qv::Edition::Standalone);
        qv::ZtModelEnabled = false;
        bool seen = false;
        qv::test::WhenModal([&](QWidget* modal) {
            auto* form = qobject_cast<TSetupForm*>(modal);
            seen = form && form->GroupBox1->isHidden() && !form->GroupBox2->isHidden() && !form->ZtPage &&
                   form->width() == 867 + 15;
            modal->close();
        });
        qv::RunSetupForm(nullptr, 120);
        QVERIFY(seen);
        QCOMPARE(setup::AppPath, folder_->Path());

        qv::SetEdition(qv::Edition::Advanced);
        qv::ZtModelEnabled = true;
        qv::test::WhenModal([&](QWidget* modal) {
            auto* form = qobject_cast<TSetupForm*>(modal);
            seen = form && !form->GroupBox1->isHidden() && form->ZtPage && form->width() == 867;
            modal->close();
        });
        qv::RunSetupForm(nullptr, 96);
        QVERIFY(seen);
        qv::SetEdition(qv::Edition::Standalone);
        qv::AppDir = savedAppDir;
        QVERIFY(!std::filesystem::exists(Ini()));
    }

    void basicTabAppliesAndDefaultsKeepTheDialogOpen() {
        WriteBytes(Ini(), "[Basic Setting]\r\nIdxFileOutputFormat=7\r\n");
        TSetupForm form;
        form.show();
        ClickItem(form.FileNameRadioGroup, 1);
        form.SelfDefineComboBoxes[8]->setCurrentIndex(5);
        Click(form.OKButton1);
        QCOMPARE(ui_->Texts("error"), std::vector<std::string>{"找不到singer.bin"});
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(ReadBytes(Ini()).find("SongNameFormat=8\r\n") != std::string::npos);
        QVERIFY(ReadBytes(Ini()).find("DefaultSongVolumn=5\r\n") != std::string::npos);
        QCOMPARE(setup::SongNameFormat, 8);

        TSetupForm again;
        again.show();
        QCOMPARE(again.FileNameRadioGroup->ItemIndex(), 1);
        Click(again.DefaultButton1);
        QVERIFY(again.isVisible());
        QVERIFY(!setup::KeepOpenAfterApply);
        const std::string file = ReadBytes(Ini());
        for (const char* line : {"SongNameFormat=0\r\n", "DefaultSongVolumn=-1\r\n", "SelfDefine8=-1\r\n",
                                 "IsBatchAddIncludeWarningSong=yes\r\n", "IdxFileOutputFormat=7\r\n"})
            QVERIFY2(file.find(line) != std::string::npos, line);

        // A wrong custom form: refused, nothing written, the choices stay.
        ClickItem(again.FileNameRadioGroup, 7);
        again.SelfDefineComboBoxes[0]->setCurrentIndex(1);
        again.SelfDefineComboBoxes[1]->setCurrentIndex(1);
        Click(again.OKButton1);
        QVERIFY(again.isVisible());
        QCOMPARE(ui_->Texts("error").back(), std::string("自訂資料夾形式有誤, 請檢查!"));
        QCOMPARE(ReadBytes(Ini()), file);
        QCOMPARE(again.SelfDefineComboBoxes[1]->currentIndex(), 1);
    }

    void reportTabTypedTextsAndColours() {
        TSetupForm form;
        form.show();
        form.ReportComboBoxes[1]->setEditText("17");
        form.ReportComboBoxes[4]->setEditText("abc");
        Click(form.OKButton4);
        QVERIFY(form.isVisible());
        QCOMPARE(ui_->Texts("error").back(), std::string("每頁歌曲數必須是正整數, 請檢查!"));
        QVERIFY(!std::filesystem::exists(Ini()));

        form.ReportComboBoxes[4]->setEditText("55");
        qv::test::WhenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<QColorDialog*>(modal);
            if (!dialog) {
                modal->close();
                return;
            }
            dialog->setCurrentColor(QColor(0x10, 0x20, 0x30));
            dialog->accept();
        });
        QTest::mouseClick(form.ColourPanels[3], Qt::LeftButton);
        QCOMPARE(form.ColourPanels[3]->Colour(), 0x302010);
        Click(form.OKButton4);
        QVERIFY(!form.isVisible());
        const std::string file = ReadBytes(Ini());
        QVERIFY(file.find("SongReportNormalFontSize=17\r\n") != std::string::npos);
        QVERIFY(file.find("SongReportSongNumPerPage=55\r\n") != std::string::npos);
        QVERIFY(file.find("SingerForeignColor=3153936\r\n") != std::string::npos);
        QCOMPARE(form.ReportComboBoxes[1]->currentText(), QString("20"));
        QCOMPARE(setup::SongReportNormalFontSize, 20);
        QCOMPARE(setup::SongReportSongNumPerPage, 55);
        QCOMPARE(setup::SingerForeignColor, 0x302010);
    }

    void cloudTabPasswordField() {
        TSetupForm form;
        form.show();
        form.PageControl1->setCurrentWidget(form.TabSheet8);
        QTest::keyClicks(form.PasswordEdit, "abcdefghijk");
        QCOMPARE(form.PasswordEdit->text(), QString("abcdefghij"));
        QTest::keyClick(form.PasswordEdit, Qt::Key_Backspace);
        form.PasswordEdit->insert(QString::fromUtf8("한"));
        Click(form.OkButton7);
        QVERIFY(form.isVisible());
        QCOMPARE(ui_->Texts("error").back(), std::string("輸入的文字含有Big5無法表示的字元, 請修改後再試!"));
        QVERIFY(!std::filesystem::exists(Ini()));
        QTest::keyClick(form.PasswordEdit, Qt::Key_Backspace);
        form.PasswordEdit->insert(QString::fromUtf8("中"));
        form.CheckBox14->setChecked(true);
        Click(form.OkButton7);
        QVERIFY(!form.isVisible());
        TSetupForm again;
        QCOMPARE(again.PasswordEdit->text(), QString("abcdefghi中"));
        QVERIFY(again.CheckBox14->isChecked() && setup::ObrelEnabled);
    }

    void screenMenuFieldsHoldTheirBytes() {
        TSetupForm form;
        form.show();
        form.PageControl1->setCurrentWidget(form.TabSheet6);
        QLineEdit* title = form.MenuEdits[0];
        QLineEdit* item = form.MenuEdits[6];
        QCOMPARE(title->text(), QString("歌星點歌"));  // no file: the captions
        title->clear();
        for (const char* c : {"一", "二", "三", "四", "五"})
            title->insert(QString::fromUtf8(c));  // 10 bytes: no fifth
        QCOMPARE(title->text(), QString("一二三四"));
        item->selectAll();
        QTest::keyClicks(item, "x");  // the "1." cannot be typed away
        QCOMPARE(item->text(), QString("1.男歌星"));
        Click(form.OKButton6);  // the file is missing: reported, the apply ends
        QCOMPARE(ui_->Texts("info").back(), "錯誤:" + setup::AppPath + "/000/menu.ztx不存在");
        QVERIFY(!form.isVisible());
        QVERIFY(!std::filesystem::exists(Zt("menu.ztx")));

        std::string menu;
        for (int line = 0; line < 42; ++line)
            menu += "[" + std::to_string(10 + line).substr(0, 2) + "]....\r\n";
        WriteBytes(Zt("menu.ztx"), menu);
        TSetupForm second;
        second.show();
        QCOMPARE(second.MenuEdits[0]->text(), QString(".."));
        second.MenuEdits[0]->setText(QString::fromUtf8("歌星"));
        Click(second.DefaultButton6);
        QVERIFY(second.isVisible());
        QCOMPARE(second.MenuEdits[0]->text(), QString("歌星點歌"));
        const std::string written = ReadBytes(Zt("menu.ztx"));
        QVERIFY(written.find("[11].." + qv::Utf8ToBig5("歌星點歌") + "\r\n") != std::string::npos);
        QVERIFY(written.find("[16].." + qv::Utf8ToBig5("注音點歌") + "\r\n[17]....\r\n") !=
                std::string::npos);
    }

    void ztTabWritesTheMarkerFiles() {
        WriteBytes(Zt("RandPlay.ztx"), "2\r\n");  // the digit is no mode byte
        WriteBytes(Zt("MenuTopSet.ztx"), "7\r\n");
        TSetupForm form;
        form.show();
        qv::TZtSetupPage* zt = form.ZtPage;
        QVERIFY(zt->CheckBox9->isChecked() && !zt->CheckBox8->isChecked());
        QCOMPARE(zt->ComboBox17->currentIndex(), 0);
        QCOMPARE(zt->ComboBox5->currentText(), QString("07"));
        zt->CheckBox9->setChecked(false);
        // Choosing a random-play mode checks CheckBox9.
        QTest::keyClick(zt->ComboBox17, Qt::Key_Down);
        QTest::keyClick(zt->ComboBox17, Qt::Key_Down);
        QCOMPARE(zt->ComboBox17->currentIndex(), 2);
        QVERIFY(zt->CheckBox9->isChecked());
        Click(zt->OkButton5);
        QVERIFY(!form.isVisible());
        QCOMPARE(ReadBytes(Zt("RandPlay.ztx")), std::string("\x03\r\n"));
        QCOMPARE(ReadBytes(Zt("MenuTopSet.ztx")), std::string("07\r\n"));

        TSetupForm again;
        again.show();
        again.ZtPage->CheckBox15->setChecked(true);
        Click(again.ZtPage->DefaultButton5);  // the tab's defaults, written at once
        QVERIFY(again.isVisible());
        QCOMPARE(ReadBytes(Zt("OKMODE.ztx")), std::string());
        QCOMPARE(ReadBytes(Zt("RandPlay.ztx")), std::string("\x01\r\n"));
        QCOMPARE(ReadBytes(Zt("MenuTopSet.ztx")), std::string("03\r\n"));
        QVERIFY(!std::filesystem::exists(Zt("ResumePlayEnable.ztx")));
    }
};

QTEST_MAIN(SetupFormTest)
#include "SetupFormTest.moc"
