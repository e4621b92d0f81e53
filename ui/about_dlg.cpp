#include "ui/about_dlg.h"

#include <QLabel>

#include "app/version_texts.h"
#include "controls/hyperlink/hyper_link.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/resource_images.h"
#include "resources/string_ids.h"
#include "resources/string_table.h"

namespace {

constexpr std::uint32_t kProgramIcon = 178;

}  // namespace

CAboutDlg::CAboutDlg(gui::Window* parent) : gui::Dialog(parent, kDialogId) {}

CAboutDlg::~CAboutDlg() = default;

bool CAboutDlg::OnInitDialog() {
    setWindowIcon(gui::LoadResourceIcon(kProgramIcon));
    setWindowTitle(gui::ToQString(LoadString(IDS_ABOUT_CAPTION)));
    if (auto* icon = qobject_cast<QLabel*>(GetDlgItem(kIconControl))) {
        icon->setPixmap(QPixmap::fromImage(gui::LoadResourceIconImage(kProgramIcon, 32)));
    }
    if (auto* name = qobject_cast<QLabel*>(GetDlgItem(kNameVersion))) {
        name->setText(gui::ToQString(GetProgramVersionText()));
        // The dialog font at 12 points: the height -(12 x pixels per inch / 72).
        QFont big = DialogFont();
        big.setPixelSize(gui::MulDiv(12, logicalDpiY(), 72));
        name->setFont(big);
    }
    if (auto* maker = qobject_cast<QLabel*>(GetDlgItem(kMaker))) {
        QFont bold = DialogFont();
        bold.setWeight(QFont::Bold);
        maker->setFont(bold);
    }
    web_ = hyperlink::CHyperLink::Subclass(qobject_cast<QLabel*>(GetDlgItem(kWebLink)));
    if (auto* mailLabel = qobject_cast<QLabel*>(GetDlgItem(kMailLink))) {
        mail_ = hyperlink::CHyperLink::Subclass(mailLabel, u"mailto:" + gui::FromQString(mailLabel->text()));
    }
    return true;
}
