#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/version_texts.h"
#include "controls/hyperlink/hyper_link.h"
#include "platform/gui/dialog_builder.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/testing/recording_launcher.h"
#include "platform/gui/testing/scripted_prompt_runner.h"
#include "tests/support/gui/screenshot.h"
#include "ui/about_dlg.h"

namespace {

TEST(AboutBox, ShowsTheVersionTheMakerAndTheProjectsLinks) {
    gui::InstallDialogTemplateBuilder();
    gui::ScriptedPromptRunner prompts;
    gui::RecordingLauncher launcher;
    prompts.Inspect([&](const gui::PromptRequest& request, gui::PromptHost& host) {
        EXPECT_EQ(request.dialogId, 199u);
        auto* box = qobject_cast<CAboutDlg*>(host.Widget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "About Wendelkast");
        EXPECT_FALSE(box->windowIcon().isNull());

        auto* name = qobject_cast<QLabel*>(box->GetDlgItem(CAboutDlg::kNameVersion));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), gui::ToQString(GetProgramVersionText()));
        EXPECT_EQ(name->font().pixelSize(), gui::MulDiv(12, box->logicalDpiY(), 72));
        auto* maker = qobject_cast<QLabel*>(box->GetDlgItem(CAboutDlg::kMaker));
        ASSERT_NE(maker, nullptr);
        EXPECT_EQ(maker->text(), "Quillon");
        EXPECT_EQ(maker->font().weight(), QFont::Bold);
        auto* icon = qobject_cast<QLabel*>(box->GetDlgItem(CAboutDlg::kIconControl));
        ASSERT_NE(icon, nullptr);
        EXPECT_FALSE(icon->pixmap().isNull());

        hyperlink::CHyperLink* web = box->WebLink();
        hyperlink::CHyperLink* mail = box->MailLink();
        ASSERT_NE(web, nullptr);
        ASSERT_NE(mail, nullptr);
        EXPECT_EQ(box->GetDlgItem(CAboutDlg::kWebLink), web);
        EXPECT_EQ(web->GetLink(), CString(u"https://wendelkast.example.org/"));
        EXPECT_EQ(mail->GetLinkText(), CString(u"wendelkast@example.org"));
        EXPECT_EQ(mail->GetLink(), CString(u"mailto:wendelkast@example.org"));
        EXPECT_TRUE(SaveScreenshot(*box, "about_box"));
        QTest::mouseClick(mail, Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_TRUE(mail->IsVisited());

        auto* ok = qobject_cast<QPushButton*>(box->GetDlgItem(gui::IDOK));
        ASSERT_NE(ok, nullptr);
        ok->click();
    });
    CAboutDlg about;
    EXPECT_EQ(about.DoModal(), gui::IDOK);
    EXPECT_EQ(launcher.Opened(), (std::vector<CString>{u"mailto:wendelkast@example.org"}));
}

}  // namespace
