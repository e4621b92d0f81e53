#pragma once
// CAboutDlg: the about box (dialog 199): the program's icon (178), caption 1015, the program's
// name and version (static 1058, the dialog font at 12 points), the maker's line (static
// 1062, bold), and the project's web and mail links (1059, 1061: hyperlinks in place of the
// template's statics; their texts from the string table, the mail link opening "mailto:").
// DoModal runs it through the prompt runner; it ends only with OK (1).
// User-interface thread only.
#include "platform/gui/dialog.h"

namespace hyperlink {
class CHyperLink;
}

class CAboutDlg : public gui::Dialog {
    Q_OBJECT

public:
    static constexpr std::uint32_t kDialogId = 199;
    static constexpr int kIconControl = 1056;
    static constexpr int kNameVersion = 1058;
    static constexpr int kWebLink = 1059;
    static constexpr int kMailLink = 1061;
    static constexpr int kMaker = 1062;

    explicit CAboutDlg(gui::Window* parent = nullptr);
    ~CAboutDlg() override;

    hyperlink::CHyperLink* WebLink() const { return web_; }
    hyperlink::CHyperLink* MailLink() const { return mail_; }

protected:
    bool OnInitDialog() override;

private:
    hyperlink::CHyperLink* web_ = nullptr;
    hyperlink::CHyperLink* mail_ = nullptr;
};
